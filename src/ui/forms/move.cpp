#include "ui/forms/move.h"

#include <QWidget>
#include <QWindow>

namespace ocuvell {

bool FormDrag::follow(QEvent::Type type, Qt::MouseButtons buttons, QPoint globalPos) {
    const bool left = buttons & Qt::LeftButton;
    if (type == QEvent::MouseButtonPress) {
        pressed_ = armed_ = left && !form_.isMaximized();
        manual_ = false;
        return false;
    }
    // A release, or a movement with no button held, ends any drag.
    if (type != QEvent::MouseMove || !left || form_.isMaximized() || !pressed_) {
        pressed_ = armed_ = manual_ = false;
        return false;
    }
    if (manual_) {
        form_.move(globalPos - offset_);
    } else if (armed_) {
        armed_ = false;
        QWindow* window = form_.windowHandle();
        if (!window || !window->startSystemMove()) {
            manual_ = true;
            offset_ = globalPos - form_.pos();
        }
    }
    return true;
}

} // namespace ocuvell
