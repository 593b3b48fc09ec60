// In a Wayland session the windows stay on X11 through XWayland where it is there: a
// native Wayland window cannot place itself (the rest tip in its corner). Without it they
// go native, placed by the compositor. A platform the user names is kept.
#include "app/window_system.h"

#include <QByteArray>
#include <QtGlobal>

namespace ocuvell {

void chooseWindowSystem() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    else if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "wayland");
}

} // namespace ocuvell
