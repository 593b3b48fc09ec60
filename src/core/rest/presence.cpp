#include "core/rest/presence.h"

#include <algorithm>

namespace ocuvell {

void Presence::setFullscreenSource(FullscreenSource* source) {
    fullscreen_ = source;
    if (fullscreen_)
        fullscreen_->watch(deferFullscreen_);
}

void Presence::setDeferFullscreen(bool on) {
    deferFullscreen_ = on;
    if (fullscreen_)
        fullscreen_->watch(on);
}

void Presence::setAwayCountsAsRest(bool on) {
    awayCountsAsRest_ = on;
    if (!on)
        awayFrom_.reset();
}

bool Presence::fullscreenHoldsTip() const {
    return deferFullscreen_ && fullscreen_ && fullscreen_->fullscreenActive();
}

// An absence is never counted shorter than it was seen to be, so a video player resetting
// the idle timer, or input now and then, keeps it from counting.
std::optional<long long> Presence::lookAtUser(int restLengthMinutes) {
    if (!awayCountsAsRest_ || !idle_)
        return std::nullopt;
    const std::optional<long long> idle = idle_->idleMilliseconds();
    if (!idle)
        return std::nullopt;
    lastIdleMs_ = std::max(0LL, *idle);
    const long long lastInput = clock_.seconds() - lastIdleMs_ / 1000;
    // A second either way is the two clocks' rounding, not input.
    if (sessionAwayAt_ && sessionLocked_ && !inputWhileLocked_ && lastInput > *sessionAwayAt_ + 1)
        inputWhileLocked_ = lastInput; // the user at work through a lock
    std::optional<long long> returned;
    if (awayFrom_ && lastInput > *awayFrom_ + 1) {
        awayFrom_.reset();
        returned = lastInput;
    }
    if (!awayFrom_ && lastIdleMs_ >= restLengthMinutes * 60000LL)
        awayFrom_ = lastInput;
    return returned;
}

// One look when the idle time would reach a rest's length and, once it has, a look every
// second, so that the return is seen at once; at least once a minute through a lock.
std::optional<long long> Presence::nextLookMs(int restLengthMinutes, long long marginMs,
                                              long long longestMs) const {
    if (!awayCountsAsRest_ || !idle_)
        return std::nullopt;
    if (awayFrom_)
        return 1000;
    return std::clamp(restLengthMinutes * 60000LL - lastIdleMs_ + marginMs, 1000LL,
                      lockedAndWatched() ? 60000LL : longestMs);
}

bool Presence::sessionAway(Away how) {
    if (sessionAwayAt_)
        return false;
    sessionAwayAt_ = clock_.seconds();
    sessionLocked_ = how == Away::Locked;
    inputWhileLocked_.reset();
    return true;
}

// The user's input seen in a lock, short of the unlocking, ends the absence there.
bool Presence::lockedAndWatched() const {
    return sessionAwayAt_ && sessionLocked_ && awayCountsAsRest_ && idle_;
}

std::optional<long long> Presence::sessionBack(int restLengthMinutes) {
    const long long now = clock_.seconds();
    long long back = now;
    if (inputWhileLocked_ && *inputWhileLocked_ < now - kUnlockGraceSeconds)
        back = *inputWhileLocked_;
    std::optional<long long> rest;
    if (awayCountsAsRest_ && sessionAwayAt_ && back - *sessionAwayAt_ >= restLengthMinutes * 60LL)
        rest = back;
    sessionAwayAt_.reset();
    inputWhileLocked_.reset();
    // The idle time of a server asleep with the machine did not run: an absence seen
    // before the sleep is measured afresh.
    awayFrom_.reset();
    return rest;
}

} // namespace ocuvell
