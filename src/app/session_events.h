#pragma once
// The machine going to sleep and waking, the session locked and unlocked, as the system
// tells them: away when either begins, back when it ends. Where the system cannot tell
// (no system bus), nothing is told and nothing else changes.
#include "core/rest/rest_schedule.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

namespace ocuvell {

class SessionEvents : public QObject {
    Q_OBJECT
  public:
    using Away = RestSchedule::Away;
    SessionEvents(std::function<void(Away)> away, std::function<void()> back);
    ~SessionEvents() override;
    // Whether the system's news could reach us at start.
    bool listening() const { return listening_; }
    // Display events, where the system tells them (Windows: a new mode or monitor, the
    // console display switched on, a resume): told at once and once more about a second
    // later, when a driver that is still settling may have reset the ramp again.
    void onDisplayChanged(std::function<void()> changed) { displayChanged_ = std::move(changed); }

  private slots:
    // The same on every platform: what the platform's file connects them to differs.
    void prepareForSleep(bool start) { start ? away_(Away::Asleep) : back_(); }
    void locked() { away_(Away::Locked); }
    void unlocked() { back_(); }
    void displayChanged() {
        if (!displayChanged_)
            return;
        displayChanged_();
        // Once more a second after a burst of events ends.
        if (!again_.isSingleShot()) {
            again_.setSingleShot(true);
            again_.setInterval(kSettleMs);
            connect(&again_, &QTimer::timeout, this, [this] { displayChanged_(); });
        }
        again_.start();
    }

  private:
    static constexpr int kSettleMs = 1000;
    struct Native;
    std::function<void(Away)> away_;
    std::function<void()> back_;
    std::function<void()> displayChanged_;
    QTimer again_;
    std::unique_ptr<Native> native_;
    bool listening_ = false;
};

} // namespace ocuvell
