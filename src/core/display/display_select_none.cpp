#include "core/display/backends.h"

namespace ocuvell {

// A build without X11 or GDI: a Wayland compositor's gamma control, if one answers.
std::unique_ptr<Display> openDisplay() {
    std::string why = "built without X11 support";
    if (auto wayland = openWaylandDisplay(&why))
        return wayland;
    return colourlessDisplay(why);
}

} // namespace ocuvell
