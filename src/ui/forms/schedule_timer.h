#pragma once
// The rest schedule's clock: a timer that gives the schedule the ticks it asks for. It
// runs whether or not any window is shown, so the tip comes with the main window hidden.
#include "core/rest/rest_schedule.h"

#include <QTimer>

namespace ocuvell {

class ScheduleTimer : public TickView {
  public:
    // Attaches itself as the schedule's clock, which plans its next tick at once; the
    // schedule outlives the timer.
    explicit ScheduleTimer(RestSchedule& schedule);
    ~ScheduleTimer() override;
    ScheduleTimer(const ScheduleTimer&) = delete;
    ScheduleTimer& operator=(const ScheduleTimer&) = delete;

    // The program's end: no tick after this reaches the schedule.
    void stop() { timer_.stop(); }
    // For tests that are the clock themselves.
    QTimer& timer() { return timer_; }

    // TickView: a countdown keeps the one-second beat it started on; a single tick at a
    // minute's start must come on time, not within a coarse timer's slack of a minute.
    void tickEverySecond() override;
    void tickOnceIn(int milliseconds) override;
    void stopTicking() override { timer_.stop(); }

  private:
    RestSchedule& schedule_;
    QTimer timer_;
};

} // namespace ocuvell
