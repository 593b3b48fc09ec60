// An X11 or Wayland session names its display in the environment; a Qt platform named
// there (offscreen, vnc...) needs none.
#include "app/command_line.h"

#include <cstdlib>

namespace ocuvell {

bool sessionHasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

void printToCallersConsole() {}

} // namespace ocuvell
