#include "core/night/night_schedule.h"

#include "core/night/colour_temperature.h"

#include <algorithm>
#include <cmath>

namespace ocuvell {
namespace {

constexpr long long kDay = 86400;
constexpr double kNightElevation = -6; // the end of civil twilight
constexpr double kDayElevation = 3;
// Without a transition in sight (polar day or night), the schedule looks again this often.
constexpr long long kPolarLook = 6 * 3600;
// A crossing found from the equations lies within seconds of the elevation computed at it:
// waking this much later finds the transition under way.
constexpr long long kCrossingMargin = 30;

long long cyclic(long long seconds) {
    return ((seconds % kDay) + kDay) % kDay;
}

long long nextMinute(long long utc) {
    return (utc / 60 + 1) * 60 - (utc < 0 && utc % 60 ? 60 : 0);
}

// The UTC moment a local time `ahead` seconds on from utc's local time is reached, across
// a change of the zone's offset (summer time) in between.
long long localAhead(long long utc, long long ahead, const ZoneRule& zone) {
    const long long guess = utc + ahead;
    return guess + zone(utc) - zone(guess);
}

// The first crossing after utc over the next few solar days.
std::optional<long long> crossingAfter(long long utc, GeoPoint place, double elevation,
                                       bool rising) {
    for (int day = 0; day <= 3; ++day)
        if (const std::optional<long long> t =
                sunCrossing(utc + day * kDay, place, 90 - elevation, rising))
            if (*t > utc)
                return t;
    return std::nullopt;
}

NightLook lookBySun(GeoPoint place, long long utc) {
    NightLook look;
    look.progress = nightProgressAt(sunElevation(utc, place));
    if (look.progress > 0 && look.progress < 1) {
        look.next = nextMinute(utc);
    } else {
        // Day: the evening's fall through +3 degrees; night: the morning's rise through -6.
        const bool day = look.progress == 0;
        const std::optional<long long> start =
            crossingAfter(utc, place, day ? kDayElevation : kNightElevation, !day);
        look.next = start ? std::max(*start + kCrossingMargin, utc + 60) : utc + kPolarLook;
    }
    if (look.progress > 0)
        look.until = crossingAfter(utc, place, kDayElevation, true);
    return look;
}

NightLook lookByTimes(const NightChoice& c, long long utc, const ZoneRule& zone) {
    constexpr long long ramp = NightSchedule::kTransitionMinutes * 60;
    const long long local = cyclic(utc + zone(utc));
    const long long from = c.from * 60LL, to = c.to * 60LL;
    NightLook look;
    if (from == to) { // no night at all
        look.next = utc + kPolarLook;
        return look;
    }
    const bool night = cyclic(local - from) < cyclic(to - from);
    const long long toMorning = cyclic(to - local);
    const long long toEvening = cyclic(from - local);
    if (night && toMorning < ramp)
        look.progress = double(toMorning) / ramp;
    else if (night)
        look.progress = 1;
    else if (toEvening > 0 && toEvening < ramp)
        look.progress = 1 - double(toEvening) / ramp;
    if (look.progress > 0 && look.progress < 1) {
        look.next = nextMinute(utc);
    } else {
        // The start of the ramp that comes next, evening or morning; one starting now is
        // looked at in a minute.
        const long long untilRamp = cyclic((night ? to : from) - ramp - local);
        look.next = untilRamp < 60 ? nextMinute(utc) : localAhead(utc, untilRamp, zone);
    }
    if (look.progress > 0)
        look.until = localAhead(utc, toMorning, zone);
    return look;
}

} // namespace

double nightProgressAt(double elevation) {
    return std::clamp((kDayElevation - elevation) / (kDayElevation - kNightElevation), 0.0, 1.0);
}

NightLook lookAtNight(const NightChoice& choice, long long utc, const ZoneRule& zone) {
    return choice.place ? lookBySun(*choice.place, utc) : lookByTimes(choice, utc, zone);
}

ZoneRule NightSchedule::zone() const {
    return [this](long long utc) { return clock_.utcOffsetAt(utc); };
}

void NightSchedule::choose(const NightChoice& choice) {
    if (choice.on != choice_.on)
        pauseEnd_.reset();
    choice_ = choice;
    look();
}

void NightSchedule::look() {
    lookedAt_ = clock_.utcSeconds();
    look_ = lookAtNight(choice_, lookedAt_, zone());
    if (pauseEnd_ && lookedAt_ >= *pauseEnd_)
        pauseEnd_.reset();
    shown_ = choice_.on && !pauseEnd_ ? look_.progress : 0;
}

std::array<double, 3> NightSchedule::factors() const {
    return shown_ > 0 ? kelvinFactors(kelvinNow()) : std::array<double, 3>{1, 1, 1};
}

int NightSchedule::kelvinNow() const {
    return static_cast<int>(
        std::lround(kNeutralKelvin + (choice_.kelvin - kNeutralKelvin) * shown_));
}

std::optional<long long> NightSchedule::msUntilNextLook() const {
    if (!choice_.on)
        return std::nullopt;
    const long long next = pauseEnd_ ? *pauseEnd_ : look_.next;
    return std::max(0LL, next - lookedAt_) * 1000;
}

void NightSchedule::pauseHour() {
    pauseEnd_ = clock_.utcSeconds() + kPauseSeconds;
    look();
}

void NightSchedule::pauseUntilNextChange() {
    // The end of the night under way, or else of the coming one.
    const long long now = clock_.utcSeconds();
    long long t = now;
    for (int step = 0; step < 8; ++step) {
        const NightLook at = lookAtNight(choice_, t, zone());
        if (at.progress > 0) {
            if (at.until)
                pauseEnd_ = *at.until;
            break;
        }
        t = std::max(at.next, t + 60);
    }
    look();
}

std::optional<long long> NightSchedule::pausedUntil() const {
    return pauseEnd_;
}

} // namespace ocuvell
