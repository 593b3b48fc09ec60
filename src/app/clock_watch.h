#pragma once
// News of the wall clock being set: by hand, by a time service's step, or (where the
// system says so) on waking from sleep. The schedule's minute tick runs on the monotonic
// clock and would see such a change only at its next tick, up to a minute late; this
// tells it at once. It never wakes the program for anything else.
#include <QObject>
#include <chrono>
#include <functional>
#include <memory>

namespace ocuvell {

class ClockWatch : public QObject {
  public:
    // clockSet runs after each change of the wall clock: from dispatch() where the news
    // comes through fd(), from the event loop where the system sends it otherwise.
    explicit ClockWatch(std::function<void()> clockSet, QObject* parent = nullptr);
    ~ClockWatch() override;
    ClockWatch(const ClockWatch&) = delete;
    ClockWatch& operator=(const ClockWatch&) = delete;

    // Whether this system gives the news at all.
    bool watching() const;
    // The file the event loop watches for the news (-1 where it comes another way), and
    // what reads it once it can be read.
    int fd() const;
    void dispatch();
    // Runs clockSet once more when the wall clock reaches this moment, as a change would:
    // setting the clock takes a privilege a test does not have.
    void alsoAt(std::chrono::system_clock::time_point moment);

  private:
    struct Watch;
    std::unique_ptr<Watch> watch_;
};

} // namespace ocuvell
