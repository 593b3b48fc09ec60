#pragma once
// The command line's socket watched by the event loop: dispatch() runs when a client has
// something for it, and the program does nothing otherwise. One file per platform.
#include "core/remote/remote_socket.h"

#include <QObject>
#include <memory>

namespace ocuvell {

// The watcher lives as long as the returned object, which must go before the server.
std::unique_ptr<QObject> watchRemoteServer(RemoteServer& server);

} // namespace ocuvell
