#pragma once
// Dragging a window that has no system caption by its home-made title strip.
#include <QEvent>
#include <QPoint>
#include <Qt>

class QWidget;

namespace ocuvell {

// Called for every press, movement and release of the mouse over the title strip, with
// the buttons held and the cursor's screen position. A press of the left button starts a
// drag; its first movement hands the move to the window system, once: a window manager
// sent the request again (perhaps after the button is up) keeps the window on the pointer
// until the next click. Where the window system has no such move, the window follows the
// cursor itself. The release ends the drag. Returns whether the event moved or is moving
// the window: never while it is maximised, and never without the left button.
bool formdrag(QWidget& form, QEvent::Type type, Qt::MouseButtons buttons, QPoint globalPos);

} // namespace ocuvell
