#include "core/display/backends.h"

#include <cstdlib>

namespace ocuvell {

namespace {

bool envSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

// Without DISPLAY there is no X server to ask; the kind of session then says why.
std::unique_ptr<Display> openDisplay() {
    DisplayTrouble why = DisplayTrouble::NoTrouble;
    if (envSet("DISPLAY")) {
        if (auto x11 = openX11Display(nullptr, &why))
            return x11;
    } else {
        why =
            envSet("WAYLAND_DISPLAY") ? DisplayTrouble::WaylandSession : DisplayTrouble::NoXDisplay;
    }
    return colourlessDisplay(why);
}

} // namespace ocuvell
