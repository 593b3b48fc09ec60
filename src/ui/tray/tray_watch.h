#pragma once
// Hears a notification area arrive, so that the tray form need not ask on a timer while
// there is none. Each platform's file listens where its desktops announce one.
#include <QObject>
#include <functional>
#include <memory>

namespace ocuvell {

// Watches from the moment it is made until it is destroyed; arrived() runs on the event
// loop each time a notification area may have come. Where the platform has nothing to
// listen to (a notification area is always there), it never runs.
std::unique_ptr<QObject> watchForTray(std::function<void()> arrived);

} // namespace ocuvell
