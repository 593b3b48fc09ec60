#pragma once
// The schedule reads the time of day through this, so tests can drive hours of ticks.
#include <ctime>

namespace ocuvell {

class Clock {
  public:
    virtual ~Clock() = default;
    // Time of day in seconds, 0..86399, on a count that runs with elapsed time: summer
    // time does not move it, so an interval is as long as it says across a change.
    virtual int secondsOfDay() const = 0;
    // Date and time as whole minutes counted on from a fixed day, on the same count: it
    // lets the schedule tell time that went by unseen (a sleep, a stopped process, the
    // clock set on) from the clock set back. A clock that knows no date gives the minute
    // of the day, which still serves within one day.
    virtual long long localMinutes() const { return secondsOfDay() / 60; }
    // How far the present minute has gone, in milliseconds (0..59999), so that a tick can
    // be asked for just after the next one starts.
    virtual int millisecondsIntoMinute() const { return secondsOfDay() % 60 * 1000; }
    // Seconds on the same count as localMinutes: how long an absence, a sleep or a lock
    // lasted, and when input came back.
    virtual long long seconds() const { return localMinutes() * 60 + secondsOfDay() % 60; }
    // Seconds since 1970-01-01 UTC, and how far the local time is ahead of UTC at such a
    // moment (negative west of Greenwich, an hour more in summer time): what follows the
    // sun needs both. A clock that knows no zone counts local time as UTC.
    virtual long long utcSeconds() const { return seconds(); }
    virtual int utcOffsetAt(long long /*utc*/) const { return 0; }
    // The minute of the day the user's clock shows at a minute of localMinutes' count: the
    // next rest is named in the time the user reads. A clock without time zones shows its
    // own count.
    virtual int wallMinuteOfDay(long long minute) const {
        return static_cast<int>(((minute % 1440) + 1440) % 1440);
    }
};

// The machine's clock: it counts in UTC, and shows the local time, summer time included.
class SystemClock : public Clock {
  public:
    int secondsOfDay() const override;
    long long localMinutes() const override;
    int millisecondsIntoMinute() const override;
    long long utcSeconds() const override;
    int utcOffsetAt(long long utc) const override;
    int wallMinuteOfDay(long long minute) const override;

  protected:
    // The present moment; tests set it by hand to walk through a time zone's changes.
    virtual std::time_t now() const { return std::time(nullptr); }
};

} // namespace ocuvell
