// Windows: an event handle (the command line's pipe) is watched as a descriptor is on
// Linux. The server resets its event in dispatch(), so the notifier stays enabled.
#include "app/event_watch.h"

#include <QWinEventNotifier>
#include <utility>

namespace ocuvell {

void EventWatch::watchHandle(void* handle, std::function<void()> ready) {
    if (!handle)
        return;
    auto* news = new QWinEventNotifier(handle, &owner_);
    QObject::connect(news, &QWinEventNotifier::activated, &owner_, std::move(ready));
}

} // namespace ocuvell
