// The wall clock's changes as Windows announces them: WM_TIMECHANGE, sent to every
// top-level window, seen here through the application's native event filter. Several of
// the program's windows hear one change; the schedule is told once. The C runtime reads
// the time zone once and keeps it, so it is told to read it again first: WM_TIMECHANGE
// also comes when the zone changes.
#include "app/clock_watch.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <time.h>
#include <utility>
#include <windows.h>

namespace ocuvell {

struct ClockWatch::Watch : QAbstractNativeEventFilter {
    ClockWatch* owner = nullptr;
    std::function<void()> clockSet;
    bool pending = false;

    void tell() {
        if (std::exchange(pending, true))
            return;
        QTimer::singleShot(0, owner, [this] {
            pending = false;
            clockSet();
        });
    }
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type == "windows_generic_MSG" && static_cast<MSG*>(message)->message == WM_TIMECHANGE) {
            _tzset();
            tell();
        }
        return false;
    }
};

ClockWatch::ClockWatch(std::function<void()> clockSet, QObject* parent)
    : QObject(parent), watch_(std::make_unique<Watch>()) {
    watch_->owner = this;
    watch_->clockSet = std::move(clockSet);
    QCoreApplication::instance()->installNativeEventFilter(watch_.get());
}

ClockWatch::~ClockWatch() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeNativeEventFilter(watch_.get());
}

int ClockWatch::fd() const {
    return -1;
}

void ClockWatch::dispatch() {}

bool ClockWatch::watching() const {
    return true;
}

void ClockWatch::alsoAt(std::chrono::system_clock::time_point moment) {
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
        moment - std::chrono::system_clock::now());
    QTimer::singleShot(std::max<long long>(wait.count(), 0), this, [this] { watch_->tell(); });
}

} // namespace ocuvell
