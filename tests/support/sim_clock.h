#pragma once
// The tests' one clock: a time of day and a day count that a test sets and moves by hand,
// so that hours of schedule run in milliseconds and time going by unseen differs from
// the clock set back.
#include "core/rest/clock.h"

namespace ocuvell::testing {

class SimClock : public Clock {
  public:
    SimClock() = default;
    SimClock(int h, int m, int s = 0) { set(h, m, s); }

    int seconds = 0; // time of day, 0..86399
    long long day = 0;

    int secondsOfDay() const override { return seconds; }
    long long localMinutes() const override { return day * 1440 + seconds / 60; }
    // The day count is taken as days since 1970-01-01 in a zone utcOffset seconds ahead
    // of UTC.
    int utcOffset = 0;
    long long utcSeconds() const override { return day * 86400 + seconds - utcOffset; }
    int utcOffsetAt(long long) const override { return utcOffset; }

    // Changes the time of day within the day, as a user setting the clock does.
    void set(int h, int m, int s = 0) { seconds = h * 3600 + m * 60 + s; }
    // Time going by (backwards when negative), across midnight into another day.
    void advance(long long s = 1) {
        const long long t = day * 86400 + seconds + s;
        day = t >= 0 ? t / 86400 : -((-t + 86399) / 86400);
        seconds = static_cast<int>(t - day * 86400);
    }
};

} // namespace ocuvell::testing
