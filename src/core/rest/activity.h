#pragma once
// What the schedule may ask of the desktop about the user: how long no key or pointer
// was used, and whether a full-screen window has the focus. Each is read only when the
// schedule wakes anyway; a source that has news of its own says so through the schedule.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace ocuvell {

class IdleSource {
  public:
    virtual ~IdleSource() = default;
    // Milliseconds since the last input; nothing when the desktop cannot tell. A program
    // that keeps the screen saver away (a video player) resets it, as input does.
    virtual std::optional<long long> idleMilliseconds() = 0;
};

class FullscreenSource {
  public:
    virtual ~FullscreenSource() = default;
    // Whether the window the user works in covers its screen (a video, a game, a slide
    // show), or the desktop says the user must not be disturbed.
    virtual bool fullscreenActive() = 0;
    // A source without change notices is asked again every second while a tip waits.
    virtual bool needsPolling() const { return false; }
    // A source with change notices: the event loop watches fd() for reading and calls
    // dispatch(), which never blocks and says whether the answer may have changed.
    virtual int fd() const { return -1; }
    virtual bool dispatch() { return false; }
    // Whether anyone asks: a source watches the desktop only while the option is on, and
    // reaches it the first time it does, so a run without the option pays nothing for it.
    virtual void watch(bool /*on*/) {}
    // Called once fd() is there to be watched (the first watch(true) of a source with
    // change notices).
    void onWatchable(std::function<void()> watchable) { watchable_ = std::move(watchable); }

  protected:
    void becameWatchable() const {
        if (watchable_)
            watchable_();
    }

  private:
    std::function<void()> watchable_;
};

// The desktop's own, or nothing where it cannot tell (no X server, a Wayland session,
// whose XWayland sees only the input of X programs).
std::unique_ptr<IdleSource> openIdleSource();
std::unique_ptr<FullscreenSource> openFullscreenSource();

// Milliseconds between two readings of a 32-bit millisecond counter that wraps (after
// 49.7 days), the later one first; right while the two lie less than one wrap apart.
inline long long millisecondsBetween(std::uint32_t later, std::uint32_t earlier) {
    return static_cast<std::uint32_t>(later - earlier);
}

} // namespace ocuvell
