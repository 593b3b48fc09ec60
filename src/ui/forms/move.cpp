#include "ui/forms/move.h"

#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace ocuvell {
namespace {

// The drag in progress: pressed on this form, the move not yet asked of the window system
// (armed), or followed by hand at this offset (manual).
struct Drag {
    QPointer<QWidget> form;
    bool armed = false;
    bool manual = false;
    QPoint offset;
};
Drag g_drag;

} // namespace

bool formdrag(QWidget& form, QEvent::Type type, Qt::MouseButtons buttons, QPoint globalPos) {
    const bool left = buttons & Qt::LeftButton;
    if (type == QEvent::MouseButtonPress) {
        g_drag = {};
        if (left && !form.isMaximized())
            g_drag = {&form, true, false, {}};
        return false;
    }
    // A release, or a movement with no button held, ends any drag.
    if (type != QEvent::MouseMove || !left || form.isMaximized() || g_drag.form != &form) {
        g_drag = {};
        return false;
    }
    if (g_drag.manual) {
        form.move(globalPos - g_drag.offset);
    } else if (g_drag.armed) {
        g_drag.armed = false;
        QWindow* window = form.windowHandle();
        if (!window || !window->startSystemMove())
            g_drag = {&form, false, true, globalPos - form.pos()};
    }
    return true;
}

} // namespace ocuvell
