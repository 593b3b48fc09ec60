#include "core/display/gamma_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace ocuvell {

GammaEngine::GammaEngine(std::unique_ptr<Display> display) : display_(std::move(display)) {}

GammaEngine::~GammaEngine() {
    written_ = nullptr;
    settle();
}

bool GammaEngine::capture() {
    GammaRamp read{};
    captured_ = false;
    if (!display_)
        return false;
    {
        const std::unique_lock<std::mutex> hold = holdDisplay();
        if (!display_->readRamp(read) || read.allZero())
            return false;
    }
    base_ = read;
    if (state_)
        if (const std::optional<GammaRamp> remembered = state_->baseFor(read))
            base_ = *remembered;
    captured_ = true;
    return true;
}

RampFileResult GammaEngine::loadBase(const std::filesystem::path& path) {
    RampFileResult result = loadRampFile(path, base_);
    if (result.status == RampFileStatus::Loaded)
        captured_ = true;
    return result;
}

bool GammaEngine::rampall(int level) {
    for (int j = 0; j < GammaRamp::kSize; ++j) {
        const std::uint16_t entry = levelTransfer(level, base_.at(0, j));
        for (int c = 0; c < 3; ++c)
            new_.at(c, j) = entry;
    }
    return apply(new_);
}

void GammaEngine::rampchannel(int level, int channel) {
    if (channel < 0 || channel > 2)
        return;
    for (int j = 0; j < GammaRamp::kSize; ++j)
        new_.at(channel, j) = levelTransfer(level, base_.at(channel, j));
}

bool GammaEngine::contrast(int percent) {
    for (std::size_t i = 0; i < new_.entries.size(); ++i)
        new_.entries[i] = contrastTransfer(percent, base_.entries[i]);
    return apply(new_);
}

bool GammaEngine::colour(int red, int green, int blue) {
    rampchannel(red, 0);
    rampchannel(green, 1);
    rampchannel(blue, 2);
    return apply(new_);
}

bool GammaEngine::applyBase() {
    return apply(base_);
}

bool GammaEngine::reapply() {
    const std::optional<GammaRamp> ramp = newest();
    return ramp && apply(*ramp);
}

namespace {

// What a ramp may lose on its way to the screen and back: one 8-bit step.
constexpr int kReadBackSlack = 257;

bool readsBackAs(const GammaRamp& back, const GammaRamp& ramp) {
    for (std::size_t i = 0; i < ramp.entries.size(); ++i)
        if (std::abs(int(back.entries[i]) - int(ramp.entries[i])) > kReadBackSlack)
            return false;
    return true;
}

// ramp with one entry lowered by at most one 8-bit step, where that keeps it rising: a
// change no one sees for the moment it is shown.
GammaRamp oneStepOff(const GammaRamp& ramp) {
    GammaRamp out = ramp;
    for (int c = 0; c < 3; ++c)
        for (int j = GammaRamp::kSize / 2; j < GammaRamp::kSize; ++j)
            if (const int rise = ramp.at(c, j) - ramp.at(c, j - 1); rise > 0) {
                out.at(c, j) = static_cast<std::uint16_t>(ramp.at(c, j) - std::min(rise, 256));
                return out;
            }
    // A ramp flat from its middle on: its first entry raised instead.
    out.at(0, 0) = static_cast<std::uint16_t>(ramp.at(0, 0) + (ramp.at(0, 0) < 65535 ? 1 : -1));
    return out;
}

} // namespace

bool GammaEngine::refresh() {
    const std::optional<GammaRamp> ramp = newest();
    if (!ramp || !captured_)
        return true;
    {
        const std::unique_lock<std::mutex> hold = holdDisplay();
        display_->writeRamp(oneStepOff(tinted(*ramp, tint_)));
    }
    if (!apply(*ramp))
        return false;
    GammaRamp back;
    const std::unique_lock<std::mutex> hold = holdDisplay();
    if (display_->readRamp(back) && !readsBackAs(back, *shown_)) {
        lastApplyFailed_ = true;
        return false;
    }
    return true;
}

GammaRamp GammaEngine::tinted(const GammaRamp& ramp, const Tint& tint) {
    if (tint == kNoTint)
        return ramp;
    GammaRamp out = ramp;
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < GammaRamp::kSize; ++j)
            out.at(c, j) = static_cast<std::uint16_t>(std::lround(ramp.at(c, j) * tint[c]));
    return out;
}

bool GammaEngine::setTint(const Tint& tint, bool force) {
    if (tint == tint_ && !force)
        return true;
    const Tint before = std::exchange(tint_, tint);
    const GammaRamp ramp = newest().value_or(base_);
    if (apply(ramp))
        return true;
    // The tint stays what the display shows: the next look tries the new one again, and
    // the ramps applied meanwhile do not carry a tint that was refused.
    tint_ = before;
    return false;
}

bool GammaEngine::apply(const GammaRamp& ramp) {
    // baseramp is writable by callers, so its validity is checked on every apply.
    lastApplyFailed_ = true;
    lastApplyQueued_ = false;
    if (!display_ || !captured_ || base_.allZero())
        return false;
    const GammaRamp shown = tinted(ramp, tint_);
    if (background_ && writer_) {
        pending_ = Pending{writer_->submit(shown), ramp, shown};
        lastApplyFailed_ = false;
        lastApplyQueued_ = true;
        return true;
    }
    {
        const std::unique_lock<std::mutex> hold = holdDisplay();
        if (!display_->writeRamp(shown))
            return false;
    }
    lastApplyFailed_ = false;
    taken(ramp, shown);
    return true;
}

void GammaEngine::taken(const GammaRamp& ramp, const GammaRamp& shown) {
    last_ = ramp;
    shown_ = shown;
    // The record keeps what the display shows beside the untinted base, so that a start
    // after a crash at night recognises its own ramp and computes from the display's own.
    if (state_)
        state_->applied(base_, shown);
}

void GammaEngine::writeInBackground(RampWriter::Post post, WrittenLater written) {
    written_ = std::move(written);
    writer_ = std::make_unique<RampWriter>(
        *display_, std::move(post),
        [self = std::weak_ptr<GammaEngine*>(self_)](const RampWriter::Done& done) {
            if (const std::shared_ptr<GammaEngine*> engine = self.lock())
                (*engine)->writtenLater(done);
        });
}

std::unique_lock<std::mutex> GammaEngine::holdDisplay() {
    if (!writer_)
        return {};
    pending_.reset();
    return writer_->hold();
}

void GammaEngine::writtenLater(const RampWriter::Done& done) {
    if (!pending_ || done.ticket != pending_->ticket)
        return;
    const Pending pending = *std::exchange(pending_, std::nullopt);
    lastApplyFailed_ = !done.taken;
    if (done.taken)
        taken(pending.ramp, pending.shown);
    if (written_)
        written_(done.taken, done.refusal);
}

void GammaEngine::settle() {
    if (!pending_ || !writer_)
        return;
    RampWriter::Done done{pending_->ticket};
    {
        const std::unique_lock<std::mutex> hold = writer_->hold();
        if (const std::optional<RampWriter::Done> last = writer_->lastDone();
            last && last->ticket == done.ticket) {
            done = *last;
        } else {
            done.taken = display_->writeRamp(pending_->shown);
            if (!done.taken)
                done.refusal = display_->refusal();
        }
    }
    writtenLater(done);
}

} // namespace ocuvell
