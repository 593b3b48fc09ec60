#pragma once
// What the colour engine needs of a display: read its whole ramp, write its whole ramp.
#include "core/display/gamma_ramp.h"

#include <memory>
#include <string>
#include <string_view>

namespace ocuvell {

// A display whose news arrives on a file descriptor (a Wayland compositor's connection).
// The program's event loop watches fd() for reading and calls dispatch() when it can be
// read; dispatch() never blocks. Afterwards why() may say something new (outputs came,
// went or refused control; the compositor went away). fd() is -1 once there is nothing
// left to watch.
class DisplayEvents {
  public:
    virtual ~DisplayEvents() = default;
    virtual int fd() const = 0;
    virtual void dispatch() = 0;
};

class Display {
  public:
    virtual ~Display() = default;
    virtual bool readRamp(GammaRamp& out) = 0;
    virtual bool writeRamp(const GammaRamp& ramp) = 0;
    virtual std::string name() const = 0;
    // Empty when this display's colours can be changed; otherwise why not, in a few
    // English words (the display then only stands in, so values can still be set).
    virtual std::string why() const { return {}; }
    // Set for a display that has to be watched (see DisplayEvents).
    virtual DisplayEvents* events() { return nullptr; }
    // Whether the display keeps the last ramp after the program ends (X11, Windows): only
    // then is the applied ramp worth remembering for the next start.
    virtual bool keepsRampAfterExit() const { return true; }
};

// The first backend that can control this machine's display, tried in order
// (the Wayland compositor's gamma control in a Wayland session, else RandR on X11; GDI
// on Windows); the in-memory display when none can, after one line on stderr saying
// that colours cannot be changed here; its why() says why.
std::unique_ptr<Display> openDisplay();

// The few words the colour page shows after "无法调节此显示器的颜色：" for a why()
// of the backends, or for kCaptureFailed.
std::string colourTroubleText(std::string_view why);
inline constexpr const char* kCaptureFailed = "reading the gamma ramp failed";

} // namespace ocuvell
