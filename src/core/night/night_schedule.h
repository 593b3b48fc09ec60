#pragma once
// Night colour's schedule: how far into the night the display's colours are now, and when
// to look again. With a place it follows the sun's elevation (full night below -6 degrees,
// the end of civil twilight; neutral above +3 degrees; linear between); with fixed times
// it moves over the 30 minutes that end at each time. Between transitions nothing needs
// looking at, so the schedule says when the next one starts.
#include "core/night/sun.h"
#include "core/rest/clock.h"

#include <array>
#include <functional>
#include <optional>

namespace ocuvell {

// What the user chose.
struct NightChoice {
    bool on = false;
    int kelvin = 4500;
    std::optional<GeoPoint> place; // nothing: the fixed times
    int from = 20 * 60;            // minute of the local day the night is complete
    int to = 6 * 60;               // minute of the local day the day's colours are back
    friend bool operator==(const NightChoice&, const NightChoice&) = default;
};

// Seconds the local time is ahead of UTC at a UTC moment.
using ZoneRule = std::function<int(long long utc)>;

struct NightLook {
    double progress = 0;            // 0 day, 1 full night
    long long next = 0;             // the UTC second to look again
    std::optional<long long> until; // while progress > 0: when the day's colours are back
};

// Where the schedule stands at utc (the switch is not looked at). Outside a transition,
// next is the start of the coming one; during one, the next minute. Polar days and nights
// have none: next is a few hours on.
NightLook lookAtNight(const NightChoice& choice, long long utc, const ZoneRule& zone);

// The progress from the sun's elevation in degrees.
double nightProgressAt(double elevation);

class NightSchedule {
  public:
    static constexpr int kTransitionMinutes = 30; // of a fixed-time change
    static constexpr int kPauseSeconds = 3600;

    explicit NightSchedule(const Clock& clock) : clock_(clock) {}

    // A new choice; switching off or on ends a pause. Looks at the clock.
    void choose(const NightChoice& choice);
    const NightChoice& choice() const { return choice_; }

    // Looks at the clock (its minute, a clock set, a resume): progress, factors and the next
    // look follow.
    void look();
    // What the display takes now: 0 while off or paused.
    double progress() const { return shown_; }
    std::array<double, 3> factors() const;
    // The temperature shown now, 6500 K when neutral.
    int kelvinNow() const;
    // Milliseconds until the schedule wants another look; nothing while off.
    std::optional<long long> msUntilNextLook() const;
    // While the night colour shows: when it ends (UTC seconds), if it ends at all.
    std::optional<long long> shownUntil() const { return shown_ > 0 ? look_.until : std::nullopt; }

    // The tray's pauses: an hour from now, or to the end of the present or coming night.
    void pauseHour();
    void pauseUntilNextChange();
    std::optional<long long> pausedUntil() const;

  private:
    ZoneRule zone() const;

    const Clock& clock_;
    NightChoice choice_;
    NightLook look_;
    long long lookedAt_ = 0;
    double shown_ = 0;
    std::optional<long long> pauseEnd_;
};

} // namespace ocuvell
