#include "core/display/backends.h"

#include <cstdlib>

namespace ocuvell {

namespace {

bool envSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

// A Wayland compositor that answers decides, whatever it offers: the X server of a
// Wayland session is XWayland, whose ramps never reach the screen. Without DISPLAY there
// is no X server to ask; the kind of session then says why.
std::unique_ptr<Display> openDisplay() {
    DisplayTrouble why = DisplayTrouble::NoTrouble;
    if (envSet("WAYLAND_DISPLAY"))
        if (auto wayland = openWaylandDisplay(&why))
            return wayland;
    if (envSet("DISPLAY")) {
        if (auto x11 = openX11Display(nullptr, &why))
            return x11;
    } else if (why == DisplayTrouble::NoTrouble) {
        why = DisplayTrouble::NoXDisplay;
    }
    return colourlessDisplay(why);
}

} // namespace ocuvell
