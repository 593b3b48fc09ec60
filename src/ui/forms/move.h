#pragma once
// Dragging a window that has no system caption by its home-made title strip.
#include <QEvent>
#include <QPoint>
#include <Qt>

class QWidget;

namespace ocuvell {

// The drag of one form, fed every press, movement and release of the mouse over its
// title strip, with the buttons held and the cursor's screen position. A press of the
// left button starts a drag; its first movement hands the move to the window system,
// once: a window manager sent the request again (perhaps after the button is up) keeps
// the window on the pointer until the next click. Where the window system has no such
// move, the window follows the cursor itself. The release ends the drag.
class FormDrag {
  public:
    explicit FormDrag(QWidget& form) : form_(form) {}
    // Whether the event moved or is moving the window: never while it is maximised, and
    // never without the left button.
    bool follow(QEvent::Type type, Qt::MouseButtons buttons, QPoint globalPos);

  private:
    QWidget& form_;
    // Pressed on the form, the move not yet asked of the window system (armed), or
    // followed by hand at this offset (manual).
    bool pressed_ = false;
    bool armed_ = false;
    bool manual_ = false;
    QPoint offset_;
};

} // namespace ocuvell
