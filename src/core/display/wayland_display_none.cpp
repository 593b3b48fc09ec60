#include "core/display/backends.h"

namespace ocuvell {

// A build without the Wayland client library: a Wayland session is told, not served.
std::unique_ptr<Display> openWaylandDisplay(DisplayTrouble* why) {
    if (why)
        *why = DisplayTrouble::NoWaylandSupport;
    return nullptr;
}

} // namespace ocuvell
