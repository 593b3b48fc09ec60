#pragma once
// Whether the user is there for a rest tip: time away from the keyboard, a sleep or a
// lock, a full-screen window. The schedule asks and decides; this side only reads the
// desktop's sources and remembers what it saw of the user's absences.
#include "core/rest/activity.h"
#include "core/rest/clock.h"

#include <optional>

namespace ocuvell {

class Presence {
  public:
    explicit Presence(Clock& clock) : clock_(clock) {}

    // The sources read; nullptr takes one away.
    void setIdleSource(IdleSource* source) { idle_ = source; }
    void setFullscreenSource(FullscreenSource* source);

    // The options of the [more] section that concern the user's presence.
    void setDeferFullscreen(bool on);
    void setAwayCountsAsRest(bool on);
    bool deferFullscreen() const { return deferFullscreen_; }
    bool awayCountsAsRest() const { return awayCountsAsRest_; }

    // A due tip waits: the option is on and a full-screen window has the focus.
    bool fullscreenHoldsTip() const;
    // The full-screen source has no news of its own and must be asked every second.
    bool fullscreenNeedsPolling() const { return fullscreen_ && fullscreen_->needsPolling(); }

    // Reads the idle time (nothing unless away-counts-as-rest is on and can be told).
    // Idle for a rest's length marks the user away from the last input on; a later look
    // that finds input after that moment returns the moment input came back, as the end
    // of a rest taken away.
    std::optional<long long> lookAtUser(int restLengthMinutes);
    // Milliseconds to the next look a waiting tip needs to see the user go or come back;
    // nothing when no look can tell.
    std::optional<long long> nextLookMs(int restLengthMinutes, long long marginMs,
                                        long long longestMs) const;

    // The machine sleeps or the session is locked, and comes back. The return gives the
    // moment the absence ended when it lasted at least a rest's length and counts as one.
    enum class Away { Asleep, Locked };
    // False when an absence was already under way.
    bool sessionAway(Away how);
    std::optional<long long> sessionBack(int restLengthMinutes);
    // A lock is looked at through the idle time while it lasts.
    bool lockedAndWatched() const;

    // Input this close before an unlock is the unlocking itself, not the user at work.
    static constexpr int kUnlockGraceSeconds = 60;

  private:
    Clock& clock_;
    IdleSource* idle_ = nullptr;
    FullscreenSource* fullscreen_ = nullptr;
    bool deferFullscreen_ = false;
    bool awayCountsAsRest_ = false;
    // The last input before an absence seen to be as long as a rest (Clock::seconds), and
    // the idle time last read.
    std::optional<long long> awayFrom_;
    long long lastIdleMs_ = 0;
    std::optional<long long> sessionAwayAt_; // when the sleep or the lock began
    bool sessionLocked_ = false;
    // The first input seen while the session was locked (Clock::seconds).
    std::optional<long long> inputWhileLocked_;
};

} // namespace ocuvell
