// The pipe's event, signalled when a client comes, writes, or runs out of time. It is reset
// by dispatch() itself, so the notifier stays enabled.
#include "app/remote_watch.h"

#include <QWinEventNotifier>

namespace ocuvell {

std::unique_ptr<QObject> watchRemoteServer(RemoteServer& server) {
    auto notifier = std::make_unique<QWinEventNotifier>(server.event());
    QObject::connect(notifier.get(), &QWinEventNotifier::activated,
                     [&server] { server.dispatch(); });
    return notifier;
}

} // namespace ocuvell
