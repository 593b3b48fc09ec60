// Windows ends a session through the window system (Qt's aboutToQuit), not by signals.
#include "app/end_signals.h"

namespace ocuvell {

EndSignals::EndSignals(QObject* parent) : QObject(parent) {}

int EndSignals::caught() const {
    return 0;
}

// A Windows session's end arrives as the session manager's commit request.
bool EndSignals::endsSession() const {
    return false;
}

void EndSignals::endBySignal() const {}

} // namespace ocuvell
