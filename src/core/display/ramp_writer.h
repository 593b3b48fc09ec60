#pragma once
// Writes ramps to a display on a thread of its own, so that a slow write (up to 200 ms on
// some Windows drivers) never holds the window: a ramp waiting is replaced by a newer one,
// at most one write is under way, and each write's result is carried back to the owner's
// thread by the post function the program gives.
#include "core/display/display.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace ocuvell {

class RampWriter {
  public:
    struct Done {
        std::uint64_t ticket = 0;
        bool taken = false;
        DisplayTrouble refusal = DisplayTrouble::NoTrouble; // the display's, when not taken
    };
    // Runs a function on the owner's thread, later (through its event loop).
    using Post = std::function<void(std::function<void()>)>;

    // done is run through post after each write, on the owner's thread.
    RampWriter(Display& display, Post post, std::function<void(const Done&)> done);
    // Waits for the write under way; a ramp still waiting is not written.
    ~RampWriter();
    RampWriter(const RampWriter&) = delete;
    RampWriter& operator=(const RampWriter&) = delete;

    // Queues ramp in place of one still waiting (whose result is then never told); its
    // ticket comes back.
    std::uint64_t submit(const GammaRamp& ramp);

    // The display for the owner's own use, while the lock lasts: a ramp still waiting is
    // dropped, and the write under way is waited for. lastDone() then tells its result.
    std::unique_lock<std::mutex> hold();
    std::optional<Done> lastDone() const;

  private:
    void run();

    Display& display_;
    Post post_;
    std::function<void(const Done&)> done_;
    std::mutex displayLock_; // held for each write, the worker's and the owner's
    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::optional<GammaRamp> waiting_;
    std::uint64_t tickets_ = 0;
    std::optional<Done> lastDone_;
    bool stop_ = false;
    std::thread worker_; // last: started once the rest is made
};

} // namespace ocuvell
