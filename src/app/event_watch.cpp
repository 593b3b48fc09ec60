#include "app/event_watch.h"

#include "core/display/display.h"

#include <QSocketNotifier>
#include <utility>

namespace ocuvell {

EventWatch::EventWatch() = default;
EventWatch::~EventWatch() {
    stopWatching();
}

void EventWatch::stopWatching() {
    for (DisplayEvents* events : std::exchange(displays_, {}))
        events->setWatcher({});
    for (QObject* news : owner_.findChildren<QObject*>(Qt::FindDirectChildrenOnly))
        delete news;
}

void EventWatch::watch(int fd, std::function<void()> ready) {
    if (fd < 0)
        return;
    auto* news = new QSocketNotifier(fd, QSocketNotifier::Read, &owner_);
    QObject::connect(news, &QSocketNotifier::activated, &owner_, std::move(ready));
}

void EventWatch::watchDisplay(DisplayEvents& events, std::function<void()> changed) {
    if (events.fd() < 0)
        return;
    auto* reading = new QSocketNotifier(events.fd(), QSocketNotifier::Read, &owner_);
    auto* writing = new QSocketNotifier(events.fd(), QSocketNotifier::Write, &owner_);
    writing->setEnabled(events.wantsWrite());
    displays_.push_back(&events);
    QObject::connect(reading, &QSocketNotifier::activated, &owner_,
                     [&events] { events.dispatch(); });
    QObject::connect(writing, &QSocketNotifier::activated, &owner_,
                     [&events] { events.dispatch(); });
    events.setWatcher([&events, reading, writing, changed = std::move(changed)] {
        // A closed connection's number may soon be another file's: stop watching it now.
        const bool open = events.fd() >= 0;
        reading->setEnabled(open);
        writing->setEnabled(open && events.wantsWrite());
        if (changed)
            changed();
    });
}

} // namespace ocuvell
