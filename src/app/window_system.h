#pragma once
// Which of Qt's window-system plugins the program asks for, before the toolkit starts.
#include <string>

namespace ocuvell {

// Sets QT_QPA_PLATFORM when the user has not named a plugin and this system needs one
// named; leaves it alone otherwise. False, with a line for stderr in trouble, when the
// display the environment names does not answer (a stale DISPLAY at autostart or over
// ssh): Qt would end in an abort that advises reinstalling.
bool chooseWindowSystem(std::string& trouble);

// Qt connects to the display while the application object is built. A display that
// answers the check above but then refuses this program (another user's X server, an
// access cookie that is missing) would end in the same abort: while this watch lives,
// that ends instead with one line naming the display and status 1. Every other message
// passes on as it came.
class DisplayConnectWatch {
  public:
    DisplayConnectWatch();
    ~DisplayConnectWatch();
    DisplayConnectWatch(const DisplayConnectWatch&) = delete;
    DisplayConnectWatch& operator=(const DisplayConnectWatch&) = delete;
};

} // namespace ocuvell
