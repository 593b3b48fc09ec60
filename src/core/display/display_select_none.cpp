#include "core/display/backends.h"

namespace ocuvell {

// A build for a system with neither X11 nor GDI: the colours stay as they are.
std::unique_ptr<Display> openDisplay() {
    return colourlessDisplay(DisplayTrouble::NoX11Support);
}

} // namespace ocuvell
