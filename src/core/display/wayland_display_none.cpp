#include "core/display/backends.h"

namespace ocuvell {

// A build without the Wayland client library: a Wayland session is told, not served.
std::unique_ptr<Display> openWaylandDisplay(std::string* why) {
    if (why)
        *why = "built without Wayland support";
    return nullptr;
}

} // namespace ocuvell
