#include "core/display/backends.h"

namespace ocuvell {

std::unique_ptr<Display> openDisplay() {
    DisplayTrouble why = DisplayTrouble::NoTrouble;
    if (auto gdi = openGdiDisplay(&why))
        return gdi;
    return colourlessDisplay(why);
}

} // namespace ocuvell
