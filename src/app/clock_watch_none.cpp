// Systems without news of the wall clock: the schedule sees a change at its next tick.
#include "app/clock_watch.h"

#include <QTimer>
#include <algorithm>

namespace ocuvell {

struct ClockWatch::Watch {
    std::function<void()> clockSet;
};

ClockWatch::ClockWatch(std::function<void()> clockSet, QObject* parent)
    : QObject(parent), watch_(std::make_unique<Watch>()) {
    watch_->clockSet = std::move(clockSet);
}

ClockWatch::~ClockWatch() = default;

int ClockWatch::fd() const {
    return -1;
}

void ClockWatch::dispatch() {}

bool ClockWatch::watching() const {
    return false;
}

void ClockWatch::alsoAt(std::chrono::system_clock::time_point moment) {
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
        moment - std::chrono::system_clock::now());
    QTimer::singleShot(std::max<long long>(wait.count(), 0), this, [this] { watch_->clockSet(); });
}

} // namespace ocuvell
