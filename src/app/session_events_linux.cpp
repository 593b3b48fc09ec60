// Sleep and resume from logind's PrepareForSleep on the system bus; a lock and an unlock
// from the Lock and Unlock signals logind sends to a session's screen locker.
#include "app/session_events.h"

#include <QDBusConnection>

namespace ocuvell {

namespace {
const QString kLogin = QStringLiteral("org.freedesktop.login1");
} // namespace

struct SessionEvents::Native {};

SessionEvents::SessionEvents(std::function<void()> away, std::function<void()> back)
    : away_(std::move(away)), back_(std::move(back)) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    listening_ = bus.connect(kLogin, QStringLiteral("/org/freedesktop/login1"),
                             QStringLiteral("org.freedesktop.login1.Manager"),
                             QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
    // Any session's path: a lock of another seat's session only puts our ramp back once
    // more, which changes nothing on the screen.
    const QString session = QStringLiteral("org.freedesktop.login1.Session");
    bus.connect(kLogin, QString(), session, QStringLiteral("Lock"), this, SLOT(locked()));
    bus.connect(kLogin, QString(), session, QStringLiteral("Unlock"), this, SLOT(unlocked()));
}

SessionEvents::~SessionEvents() = default;

} // namespace ocuvell
