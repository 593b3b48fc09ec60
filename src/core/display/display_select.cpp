#include "core/display/backends.h"

#include <cstdio>

namespace ocuvell {

std::unique_ptr<Display> colourlessDisplay(DisplayTrouble why) {
    std::fprintf(stderr, "Ocuvell: colours cannot be changed on this display (%s)\n",
                 troubleWords(why));
    return makeMemoryDisplay(why);
}

const char* troubleWords(DisplayTrouble trouble) {
    switch (trouble) {
    case DisplayTrouble::NoTrouble:
        break;
    case DisplayTrouble::NoXDisplay:
        return "no X display";
    case DisplayTrouble::WaylandSession:
        return "a Wayland session without X11";
    case DisplayTrouble::NoWaylandSupport:
        return "built without Wayland support";
    case DisplayTrouble::CannotConnectWayland:
        return "cannot connect to the Wayland compositor";
    case DisplayTrouble::WaylandNoAnswer:
        return "the Wayland compositor does not answer";
    case DisplayTrouble::NoGammaManager:
        return "the Wayland compositor offers no gamma control";
    case DisplayTrouble::GnomeDesktop:
        return "GNOME does not let programs change colours; its own night light is the way";
    case DisplayTrouble::KdeDesktop:
        return "KDE Plasma does not let programs change colours; its own night light is the way";
    case DisplayTrouble::NoWaylandOutput:
        return "no Wayland output lets its gamma be set (none has gamma, or another program "
               "holds it)";
    case DisplayTrouble::CompositorGone:
        return "the Wayland compositor closed the connection";
    case DisplayTrouble::CannotOpenX:
        return "cannot open the X display";
    case DisplayTrouble::NoRandrGamma:
        return "the X server has no RandR 1.2 gamma";
    case DisplayTrouble::NoScreenResources:
        return "RandR gives no screen resources";
    case DisplayTrouble::XWayland:
        return "XWayland does not pass gamma ramps to the screen";
    case DisplayTrouble::NoGammaOutput:
        return "no CRTC has a gamma ramp";
    case DisplayTrouble::NoX11Support:
        return "built without X11 support";
    case DisplayTrouble::NoDeviceContext:
        return "no device context for the desktop window";
    case DisplayTrouble::DriverWithoutGamma:
        return "the display driver gives no gamma ramp";
    case DisplayTrouble::CaptureFailed:
        return "reading the gamma ramp failed";
    case DisplayTrouble::RampNotTaken:
        return "the display did not take the gamma ramp";
    case DisplayTrouble::GammaRangeLimit:
        return "Windows refuses gamma ramps this far from identity; an administrator lifts the "
               "limit by setting HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ICM\\"
               "GdiIcmGammaRange to 256 (DWORD)";
    }
    return "";
}

} // namespace ocuvell
