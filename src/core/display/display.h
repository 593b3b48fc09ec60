#pragma once
// What the colour engine needs of a display: read its whole ramp, write its whole ramp.
#include "core/display/gamma_ramp.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace ocuvell {

// Why a display's colours cannot be changed. The colour page says each in its own words.
enum class DisplayTrouble {
    NoTrouble,
    NoXDisplay,           // no X server to ask, and no other session the program knows
    WaylandSession,       // a Wayland session without X11
    NoWaylandSupport,     // a build without the Wayland client library, in a Wayland session
    CannotConnectWayland, // the Wayland compositor cannot be reached
    WaylandNoAnswer,      // the Wayland compositor does not answer
    NoGammaManager,       // the Wayland compositor offers no gamma control
    GnomeDesktop,         // GNOME does not let programs change colours (its night light does)
    KdeDesktop,           // nor does KDE Plasma
    NoWaylandOutput,      // no Wayland output lets its gamma be set, or another program holds it
    CompositorGone,       // the Wayland compositor closed the connection
    CannotOpenX,          // the X display named cannot be opened
    NoRandrGamma,         // the X server has no RandR 1.2
    NoScreenResources,    // RandR gives no screen resources
    XWayland,             // an X server that does not pass gamma ramps to the screen
    NoGammaOutput,        // no output has a gamma ramp
    NoX11Support,         // a build without X11
    NoDeviceContext,      // Windows gives no device context for the desktop
    DriverWithoutGamma,   // the display driver gives no gamma ramp
    CaptureFailed,        // reading the display's ramp failed
    // A ramp the display did not take (it refused it, or said yes and kept the old one);
    // earlier and later ramps may well be taken.
    RampNotTaken,
    GammaRangeLimit, // Windows refuses ramps this far from identity unless an administrator
                     // lifts the limit (GdiIcmGammaRange in the registry)
};

// A few English words for stderr and the notice's tooltip.
const char* troubleWords(DisplayTrouble trouble);

// A display whose news arrives on a file descriptor (a Wayland compositor's connection).
// The program's event loop watches fd() for reading, and for writing while wantsWrite()
// (requests wait for the connection to take them), and calls dispatch() when it is ready;
// dispatch() never blocks. Afterwards trouble() may say something new (outputs came,
// went or refused control; the compositor went away). fd() is -1 once there is nothing
// left to watch: the connection is closed then, and its number may soon name another file.
class DisplayEvents {
  public:
    virtual ~DisplayEvents() = default;
    virtual int fd() const = 0;
    virtual bool wantsWrite() const { return false; }
    virtual void dispatch() = 0;
    // Called after every dispatch() and whenever fd() or wantsWrite() changes outside one
    // (a write that has to wait, a connection that ends during a write), so the loop can
    // follow at once. Empty to stop.
    virtual void setWatcher(std::function<void()> changed) = 0;
};

class Display {
  public:
    virtual ~Display() = default;
    virtual bool readRamp(GammaRamp& out) = 0;
    // False when the ramp is not on the display afterwards; refusal() then says why.
    virtual bool writeRamp(const GammaRamp& ramp) = 0;
    virtual DisplayTrouble refusal() const { return DisplayTrouble::RampNotTaken; }
    virtual std::string name() const = 0;
    // NoTrouble when this display's colours can be changed; otherwise why not (the display
    // then only stands in, so values can still be set).
    virtual DisplayTrouble trouble() const { return DisplayTrouble::NoTrouble; }
    // Set for a display that has to be watched (see DisplayEvents).
    virtual DisplayEvents* events() { return nullptr; }
    // Whether the display keeps the last ramp after the program ends (X11, Windows): only
    // then is the applied ramp worth remembering for the next start.
    virtual bool keepsRampAfterExit() const { return true; }
};

// The first backend that can control this machine's display, tried in order
// (the Wayland compositor's gamma control in a Wayland session, else RandR on X11; GDI
// on Windows); the in-memory display when none can, after one line on stderr saying
// that colours cannot be changed here; its trouble() says why.
std::unique_ptr<Display> openDisplay();

} // namespace ocuvell
