#pragma once
// The schedule reads the time of day through this, so tests can drive hours of ticks.
namespace ocuvell {

class Clock {
  public:
    virtual ~Clock() = default;
    // Local time of day in seconds, 0..86399.
    virtual int secondsOfDay() const = 0;
};

// The machine's local time.
class SystemClock : public Clock {
  public:
    int secondsOfDay() const override;
};

} // namespace ocuvell
