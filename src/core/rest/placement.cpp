#include "core/rest/placement.h"

namespace ocuvell {

PixelPoint tipPopupPosition(const PixelRect& screen, const PixelRect& workArea, int popupWidth,
                            int popupHeight) {
    const int left = screen.width - popupWidth;
    const int top = screen.height - popupHeight - (screen.bottom() - workArea.bottom());
    // The sums are relative to the screen; a screen need not start at the origin.
    return {screen.x + left, screen.y + top};
}

int centredLeft(int screenWidth, int width) {
    const int twice = screenWidth - width;
    const int half = twice / 2;
    if (twice % 2 == 0)
        return half;
    // Exactly halfway between two pixels: take the even one.
    const int other = twice > 0 ? half + 1 : half - 1;
    return half % 2 == 0 ? half : other;
}

} // namespace ocuvell
