#include "core/display/gamma_engine.h"

#include <cmath>
#include <utility>

namespace ocuvell {

GammaEngine::GammaEngine(std::unique_ptr<Display> display) : display_(std::move(display)) {}

bool GammaEngine::capture() {
    GammaRamp read{};
    captured_ = false;
    if (!display_ || !display_->readRamp(read) || read.allZero())
        return false;
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
    if (!last_)
        return false;
    const GammaRamp ramp = *last_;
    return apply(ramp);
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
    tint_ = tint;
    if (last_) {
        const GammaRamp ramp = *last_;
        return apply(ramp);
    }
    return apply(base_);
}

bool GammaEngine::apply(const GammaRamp& ramp) {
    // baseramp is writable by callers, so its validity is checked on every apply.
    lastApplyFailed_ = true;
    if (!display_ || !captured_ || base_.allZero())
        return false;
    // The record keeps what the display shows beside the untinted base, so that a start
    // after a crash at night recognises its own ramp and computes from the display's own.
    const GammaRamp shown = tinted(ramp, tint_);
    if (!display_->writeRamp(shown))
        return false;
    lastApplyFailed_ = false;
    last_ = ramp;
    shown_ = shown;
    if (state_)
        state_->applied(base_, shown);
    return true;
}

} // namespace ocuvell
