#pragma once
// Xlib's error handler is one for the whole process, and its default ends the program:
// an error on a window that went away, or a key another client holds, must only fail
// the request. This is the handler's one owner. Whoever expects errors on a connection of
// its own sets a trap on it; errors on every other connection go to the handler that was
// there before ours, and that handler is back once no trap is set.
#include <atomic>

// Xlib's connection, named without Xlib's header and its macros (Bool, Status, None).
struct _XDisplay;

namespace ocuvell {

class XErrorTrap {
  public:
    // Catches the errors of this connection while the trap lives.
    explicit XErrorTrap(_XDisplay* dpy);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // An error came on the connection since the trap was set. Errors arrive with replies:
    // a request without one is known only after XSync.
    bool failed() const { return error_.load() != 0; }
    _XDisplay* display() const { return dpy_; }
    // The handler's own record of an error on this trap's connection.
    void caught(int errorCode) { error_.store(errorCode); }

  private:
    _XDisplay* dpy_;
    std::atomic<int> error_{0};
};

} // namespace ocuvell
