// The socket's descriptor, readable when a client comes or writes.
#include "app/remote_watch.h"

#include <QSocketNotifier>

namespace ocuvell {

std::unique_ptr<QObject> watchRemoteServer(RemoteServer& server) {
    auto notifier = std::make_unique<QSocketNotifier>(server.fd(), QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [&server] { server.dispatch(); });
    return notifier;
}

} // namespace ocuvell
