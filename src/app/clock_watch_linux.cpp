// The wall clock's changes through a timer file: armed far ahead on the real-time clock
// with cancel-on-set, its wait ends whenever the clock is set (and on resume from
// suspend), and the event loop sees the file readable (the program's event watch reads
// it). It never expires by itself.
#include "app/clock_watch.h"

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace ocuvell {
namespace {

constexpr std::time_t kFarAheadSeconds = 10LL * 366 * 86400;

bool arm(int fd, std::time_t at) {
    itimerspec when{};
    when.it_value.tv_sec = at;
    return timerfd_settime(fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr) == 0;
}

} // namespace

struct ClockWatch::Watch {
    int fd = -1;
    std::function<void()> clockSet;
};

ClockWatch::ClockWatch(std::function<void()> clockSet, QObject* parent)
    : QObject(parent), watch_(std::make_unique<Watch>()) {
    const int fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0)
        return;
    if (!arm(fd, std::time(nullptr) + kFarAheadSeconds)) {
        ::close(fd);
        return;
    }
    watch_->fd = fd;
    watch_->clockSet = std::move(clockSet);
}

ClockWatch::~ClockWatch() {
    if (watch_->fd >= 0)
        ::close(watch_->fd);
}

int ClockWatch::fd() const {
    return watch_->fd;
}

void ClockWatch::dispatch() {
    // ECANCELED: the clock was set. An expiry (only ever a test's moment) counts the
    // same. Either way the timer is armed afresh from the new time.
    std::uint64_t expiries = 0;
    if (::read(watch_->fd, &expiries, sizeof expiries) < 0 && errno == EAGAIN)
        return;
    arm(watch_->fd, std::time(nullptr) + kFarAheadSeconds);
    watch_->clockSet();
}

bool ClockWatch::watching() const {
    return watch_->fd >= 0;
}

void ClockWatch::alsoAt(std::chrono::system_clock::time_point moment) {
    if (watch_->fd >= 0)
        arm(watch_->fd, std::chrono::system_clock::to_time_t(moment));
}

} // namespace ocuvell
