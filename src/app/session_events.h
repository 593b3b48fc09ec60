#pragma once
// The machine going to sleep and waking, the session locked and unlocked, as the system
// tells them: away when either begins, back when it ends. Where the system cannot tell
// (no system bus), nothing is told and nothing else changes.
#include "core/rest/rest_schedule.h"

#include <QObject>
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

  private slots:
    // The same on every platform: what the platform's file connects them to differs.
    void prepareForSleep(bool start) { start ? away_(Away::Asleep) : back_(); }
    void locked() { away_(Away::Locked); }
    void unlocked() { back_(); }

  private:
    struct Native;
    std::function<void(Away)> away_;
    std::function<void()> back_;
    std::unique_ptr<Native> native_;
    bool listening_ = false;
};

} // namespace ocuvell
