#include "app/move.h"

#include <QWidget>
#include <QWindow>

namespace ocuvell {

bool formdrag(QWidget& form, Qt::MouseButtons buttons) {
    if (form.isMaximized())
        return false;
    // A movement with no button held only passes over the strip; it must not start
    // a move that would then follow the mouse until the next click.
    if (!(buttons & Qt::LeftButton))
        return false;
    QWindow* window = form.window()->windowHandle();
    if (!window)
        return false;
    // The window system runs its own move loop; when it declines (some platforms
    // have none), the window simply stays where it is.
    window->startSystemMove();
    return true;
}

} // namespace ocuvell
