#pragma once
// Dragging a window that has no system caption by its home-made title strip.
#include <Qt>

class QWidget;

namespace ocuvell {

// Called for every mouse movement over the title strip. Hands the move to the window
// system while the left button is held, so the window follows the mouse as if its
// caption had been pressed. Returns whether a move was requested: never while the
// window is maximised, and never for a movement without the left button.
bool formdrag(QWidget& form, Qt::MouseButtons buttons);

} // namespace ocuvell
