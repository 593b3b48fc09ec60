#pragma once
// Dragging a window that has no system caption by its home-made title strip.
#include <QPoint>
#include <Qt>

class QWidget;

namespace ocuvell {

// Called for every mouse movement over the title strip, with the buttons held and the
// cursor's screen position. While the left button is held the move is handed to the
// window system, so the window follows the mouse as if its caption had been pressed;
// where the window system has no such move, the window is moved along with the cursor
// instead. Returns whether the window is being dragged: never while it is maximised,
// and never for a movement without the left button.
bool formdrag(QWidget& form, Qt::MouseButtons buttons, QPoint globalPos);

} // namespace ocuvell
