#pragma once
// The display backends, tried in order by openDisplay(); each lives in its own file.
#include "core/display/display.h"

#include <memory>
#include <string>

namespace ocuvell {

// X11 RandR: every CRTC with a gamma size above 0. nullptr when the X server, RandR
// or gamma cannot be had; why is written to *why.
std::unique_ptr<Display> openX11Display(const char* displayName, DisplayTrouble* why);
// A Wayland compositor's gamma control (the wlroots family): every output, including
// those that come later. nullptr when no compositor answers at WAYLAND_DISPLAY (why says
// so); a compositor that answers without the control gives the in-memory stand-in, with
// its own reason. Its news comes through events().
std::unique_ptr<Display> openWaylandDisplay(DisplayTrouble* why);
// Windows GDI: one device context per monitor, reopened when the monitors change.
std::unique_ptr<Display> openGdiDisplay(DisplayTrouble* why);
// In memory: one ramp, the identity at start. With a trouble, it stands in for a display
// whose colours cannot be changed, and says so through trouble().
std::unique_ptr<Display> makeMemoryDisplay(DisplayTrouble why = DisplayTrouble::NoTrouble);
// What openDisplay() gives when no backend can serve: one line on stderr with why, then
// the in-memory display standing in.
std::unique_ptr<Display> colourlessDisplay(DisplayTrouble why);

} // namespace ocuvell
