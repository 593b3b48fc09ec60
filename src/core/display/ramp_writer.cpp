#include "core/display/ramp_writer.h"

#include <utility>

namespace ocuvell {

RampWriter::RampWriter(Display& display, Post post, std::function<void(const Done&)> done)
    : display_(display), post_(std::move(post)), done_(std::move(done)),
      worker_([this] { run(); }) {}

RampWriter::~RampWriter() {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        stop_ = true;
        waiting_.reset();
    }
    wake_.notify_all();
    worker_.join();
}

std::uint64_t RampWriter::submit(const GammaRamp& ramp) {
    std::uint64_t ticket = 0;
    {
        const std::lock_guard<std::mutex> guard(lock_);
        waiting_ = ramp;
        ticket = ++tickets_;
    }
    wake_.notify_all();
    return ticket;
}

std::unique_lock<std::mutex> RampWriter::hold() {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        waiting_.reset();
    }
    return std::unique_lock<std::mutex>(displayLock_);
}

std::optional<RampWriter::Done> RampWriter::lastDone() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return lastDone_;
}

void RampWriter::run() {
    for (;;) {
        GammaRamp ramp;
        std::uint64_t ticket = 0;
        // The display is taken before the ramp, so that hold() finds either the ramp still
        // waiting (and drops it) or its write finished.
        std::unique_lock<std::mutex> display(displayLock_, std::defer_lock);
        {
            std::unique_lock<std::mutex> guard(lock_);
            wake_.wait(guard, [this] { return stop_ || waiting_; });
            if (stop_)
                return;
            guard.unlock();
            display.lock();
            guard.lock();
            if (!waiting_) // dropped by hold() meanwhile
                continue;
            ramp = *std::exchange(waiting_, std::nullopt);
            ticket = tickets_;
        }
        Done done{ticket, display_.writeRamp(ramp), DisplayTrouble::NoTrouble};
        if (!done.taken)
            done.refusal = display_.refusal();
        {
            const std::lock_guard<std::mutex> guard(lock_);
            lastDone_ = done;
        }
        display.unlock();
        post_([done, report = done_] { report(done); });
    }
}

} // namespace ocuvell
