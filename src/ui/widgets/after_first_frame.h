#pragma once
// Work a window's first frame does not need (the notification icon, the system bus) waits
// until that frame is on the screen: the window's first paint posts it, and it runs once
// the paint is flushed. A window that is not painted in time (a desktop that never shows
// it) has it run after kLatestMs all the same.
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <utility>

namespace ocuvell {

class AfterFirstFrame : public QObject {
  public:
    static constexpr int kLatestMs = 500;

    // Belongs to context, so the work never outlives what it works on.
    AfterFirstFrame(QWidget* window, QObject* context, std::function<void()> work)
        : QObject(context), window_(window), work_(std::move(work)) {
        window->installEventFilter(this);
        QTimer::singleShot(kLatestMs, this, [this] { run(); });
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, [this] { run(); });
        return false;
    }

  private:
    void run() {
        if (!work_)
            return;
        if (window_)
            window_->removeEventFilter(this);
        const std::function<void()> work = std::exchange(work_, nullptr);
        deleteLater();
        work();
    }

    QPointer<QWidget> window_;
    std::function<void()> work_;
};

} // namespace ocuvell
