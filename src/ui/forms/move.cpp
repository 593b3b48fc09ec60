#include "ui/forms/move.h"

#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace ocuvell {
namespace {

// A drag the window system declined: the window follows the cursor at this offset
// until the button is let go.
struct ManualDrag {
    QPointer<QWidget> form;
    QPoint offset;
};
ManualDrag g_manual;

} // namespace

bool formdrag(QWidget& form, Qt::MouseButtons buttons, QPoint globalPos) {
    // A movement with no button held only passes over the strip; it must not start
    // a move that would then follow the mouse until the next click.
    if (!(buttons & Qt::LeftButton) || form.isMaximized()) {
        g_manual = {};
        return false;
    }
    if (g_manual.form == &form) {
        form.move(globalPos - g_manual.offset);
        return true;
    }
    QWindow* window = form.windowHandle();
    if (window && window->startSystemMove())
        return true;
    g_manual = {&form, globalPos - form.pos()};
    return true;
}

} // namespace ocuvell
