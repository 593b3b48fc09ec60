#pragma once
// The session ends the program with a signal (SIGTERM at logout, SIGHUP, Ctrl-C). Taken
// through the event loop, the signal ends the run the ordinary way first, so what the
// program keeps at exit (the remembered ramps) is written; then the process ends by the
// same signal, as its parent expects. An end that takes more than a moment and a half
// (a write that hangs) is cut short with a line on stderr: a logout never waits for it.
#include <QObject>

namespace ocuvell {

class EndSignals : public QObject {
    Q_OBJECT
  public:
    explicit EndSignals(QObject* parent = nullptr);
    // The signal that ended the event loop, or 0.
    int caught() const;
    // Whether that signal was the session's end (SIGTERM at logout, SIGHUP), which keeps
    // the user's settings; an interrupt from a terminal does not.
    bool endsSession() const;
    // Ends the process by the caught signal; returns when there is none.
    void endBySignal() const;
};

} // namespace ocuvell
