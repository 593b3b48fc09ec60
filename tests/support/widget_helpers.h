#pragma once
// Mouse input as the user makes it, and what the tests count of a widget's painting.
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace ocuvell::testing {

inline void sendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Runs the deletions a form asked for when it unloaded itself.
inline void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A left click in the middle of the widget, then whatever it unloaded goes.
inline void click(QWidget* w) {
    const QPoint middle = w->rect().center();
    sendMouse(w, QEvent::MouseButtonPress, middle, Qt::LeftButton);
    sendMouse(w, QEvent::MouseButtonRelease, middle, Qt::LeftButton);
    settle();
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace ocuvell::testing
