// Windows has one window system, and Qt's default plugin for it. DISPLAY may well be set
// (an X server for other programs, or Wine passing its own on): it must not send Qt
// looking for an xcb plugin it does not have.
#include "app/window_system.h"

namespace ocuvell {

bool chooseWindowSystem(std::string&) {
    return true;
}

// Windows' own window system is always there to connect to.
DisplayConnectWatch::DisplayConnectWatch() = default;
DisplayConnectWatch::~DisplayConnectWatch() = default;

} // namespace ocuvell
