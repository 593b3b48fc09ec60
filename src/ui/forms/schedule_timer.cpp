#include "ui/forms/schedule_timer.h"

namespace ocuvell {

ScheduleTimer::ScheduleTimer(RestSchedule& schedule) : schedule_(schedule) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { schedule_.tick(); });
    schedule_.attach({.ticks = this});
}

ScheduleTimer::~ScheduleTimer() {
    schedule_.detach({.ticks = this});
}

void ScheduleTimer::tickEverySecond() {
    if (timer_.isActive() && !timer_.isSingleShot())
        return;
    timer_.setSingleShot(false);
    timer_.setTimerType(Qt::CoarseTimer);
    timer_.start(1000);
}

void ScheduleTimer::tickOnceIn(int milliseconds) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.start(milliseconds);
}

} // namespace ocuvell
