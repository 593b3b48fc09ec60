// A desktop whose notification area is always there (Windows' taskbar), or a build that
// cannot listen for one: nothing to hear.
#include "ui/tray/tray_watch.h"

namespace ocuvell {

std::unique_ptr<QObject> watchForTray(std::function<void()> /*arrived*/) {
    return std::make_unique<QObject>();
}

} // namespace ocuvell
