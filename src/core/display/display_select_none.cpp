#include "core/display/backends.h"

namespace ocuvell {

// A build without X11 or GDI: a Wayland compositor's gamma control, if one answers.
std::unique_ptr<Display> openDisplay() {
    DisplayTrouble why = DisplayTrouble::NoX11Support;
    if (auto wayland = openWaylandDisplay(&why))
        return wayland;
    return colourlessDisplay(why);
}

} // namespace ocuvell
