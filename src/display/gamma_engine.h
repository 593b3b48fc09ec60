#pragma once
// Owns the base ramp, the working ramp and the display handle of the main window.
#include "display/display.h"
#include "display/gamma_ramp.h"

#include <memory>

namespace ocuvell {

class GammaEngine {
public:
    explicit GammaEngine(std::unique_ptr<Display> display);

    // Reads the display's ramp into baseramp. Until a capture succeeds the engine
    // applies nothing: a ramp derived from an all-zero base would black the screen.
    bool capture();
    void rampall(int level);                 // all three channels from base red; applies
    void rampchannel(int level, int channel); // one channel of newramp; does not apply
    void contrast(int percent);              // applies
    void colour(int red, int green, int blue); // three rampchannel calls, then applies
    void applyBase();                        // applies baseramp; newramp untouched

    GammaRamp& baseramp() { return base_; }
    const GammaRamp& baseramp() const { return base_; }
    const GammaRamp& newramp() const { return new_; }
    bool captured() const { return captured_; }
    Display& display() { return *display_; }

private:
    bool apply(const GammaRamp& ramp);

    std::unique_ptr<Display> display_;
    GammaRamp base_{};
    GammaRamp new_{};
    bool captured_ = false;
};

} // namespace ocuvell
