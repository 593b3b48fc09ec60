#pragma once
// A picture that reacts to a left click, as the title glyphs, edit icons and the
// OK and Back images of the main window do.
#include <QLabel>
#include <QMouseEvent>

namespace ocuvell {

class ClickImage : public QLabel {
    Q_OBJECT
  public:
    explicit ClickImage(QWidget* parent = nullptr) : QLabel(parent) {
        setCursor(Qt::PointingHandCursor);
    }
    // The click a user makes, for code that presses the image itself.
    void click() { emit clicked(); }

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton)
            pressed_ = true;
        QLabel::mousePressEvent(e);
    }
    // Fires on release inside the picture, so a press dragged off it is abandoned.
    void mouseReleaseEvent(QMouseEvent* e) override {
        const bool was = pressed_;
        pressed_ = false;
        if (was && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
            emit clicked();
        QLabel::mouseReleaseEvent(e);
    }

  private:
    bool pressed_ = false;
};

} // namespace ocuvell
