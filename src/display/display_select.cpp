#include "display/backends.h"

#include <cstdio>
#include <cstdlib>

namespace ocuvell {

namespace {

[[maybe_unused]] bool envSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

std::unique_ptr<Display> openDisplay() {
    std::string why;
#ifdef _WIN32
    if (auto gdi = openGdiDisplay(&why))
        return gdi;
#elif defined(OCUVELL_HAVE_X11)
    if (envSet("DISPLAY")) {
        if (auto x11 = openX11Display(nullptr, &why))
            return x11;
    } else {
        why = envSet("WAYLAND_DISPLAY") ? "a Wayland session without X11" : "no X display";
    }
#else
    why = "built without X11 support";
#endif
    std::fprintf(stderr, "Ocuvell: colours cannot be changed on this display (%s)\n", why.c_str());
    return makeMemoryDisplay();
}

} // namespace ocuvell
