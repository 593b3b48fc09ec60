#pragma once
// A label that answers a left click: pressed and released on it, as buttons behave.
#include <QLabel>
#include <QMouseEvent>

namespace ocuvell {

class ClickLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        pressed_ = e->button() == Qt::LeftButton;
        QLabel::mousePressEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        const bool was = pressed_;
        pressed_ = false;
        if (was && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
            emit clicked(); // may unload the form: nothing of this label is used afterwards
        else
            QLabel::mouseReleaseEvent(e);
    }

  private:
    bool pressed_ = false;
};

} // namespace ocuvell
