#pragma once
// What the colour engine needs of a display: read its whole ramp, write its whole ramp.
#include "display/gamma_ramp.h"

#include <memory>
#include <string>

namespace ocuvell {

class Display {
public:
    virtual ~Display() = default;
    virtual bool readRamp(GammaRamp& out) = 0;
    virtual bool writeRamp(const GammaRamp& ramp) = 0;
    virtual std::string name() const = 0;
};

// The first backend that can control this machine's display, tried in order
// (RandR on X11, GDI on Windows); the in-memory display when none can, after one
// line on stderr saying that colours cannot be changed here.
std::unique_ptr<Display> openDisplay();

} // namespace ocuvell
