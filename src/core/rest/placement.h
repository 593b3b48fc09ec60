#pragma once
// Where the tip popup and the rest screen's controls go on a screen. Pixels throughout
// (15 twips to the pixel), so the sums are the same as in twips at 96 dpi.

namespace ocuvell {

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    int right() const { return x + width; }   // one past the last column
    int bottom() const { return y + height; } // one past the last row
};

struct PixelPoint {
    int x = 0, y = 0;
};

// Top-left corner of the tip popup: its right edge on the screen's right edge, its
// bottom edge on the work area's bottom edge. Only the work area's bottom counts, so a
// taskbar on the right is overlapped and one at the top or left leaves the popup on the
// screen's bottom edge.
PixelPoint tipPopupPosition(const PixelRect& screen, const PixelRect& workArea, int popupWidth,
                            int popupHeight);

// Left edge that centres a control of the given width on a screen of the given width,
// halves rounded to even.
int centredLeft(int screenWidth, int width);

} // namespace ocuvell
