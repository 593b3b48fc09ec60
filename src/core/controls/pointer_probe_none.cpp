#include "core/controls/pointer_probe.h"

namespace ocuvell {

// Without X11 the widgets ask the toolkit where the pointer is.
std::unique_ptr<PointerProbe> openX11PointerProbe() {
    return nullptr;
}

} // namespace ocuvell
