#include "core/x11/error_trap.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace ocuvell {

namespace {

// The traps set, and the handler that was there when the first was set. The handler may
// run on whichever thread reads a connection's replies, hence the lock.
class Owner {
  public:
    static Owner& the() {
        static Owner owner;
        return owner;
    }

    void add(XErrorTrap* trap) {
        const std::lock_guard<std::mutex> hold(lock_);
        if (traps_.empty())
            previous_ = XSetErrorHandler(handle);
        traps_.push_back(trap);
    }

    void remove(XErrorTrap* trap) {
        const std::lock_guard<std::mutex> hold(lock_);
        traps_.erase(std::remove(traps_.begin(), traps_.end(), trap), traps_.end());
        if (traps_.empty())
            XSetErrorHandler(std::exchange(previous_, nullptr));
    }

  private:
    static int handle(::Display* dpy, XErrorEvent* event) {
        XErrorHandler previous = nullptr;
        {
            Owner& o = the();
            const std::lock_guard<std::mutex> hold(o.lock_);
            bool ours = false;
            for (XErrorTrap* trap : o.traps_) {
                if (trap->display() == dpy) {
                    trap->caught(event->error_code);
                    ours = true;
                }
            }
            if (ours)
                return 0;
            previous = o.previous_;
        }
        return previous ? previous(dpy, event) : 0;
    }

    std::mutex lock_;
    std::vector<XErrorTrap*> traps_;
    XErrorHandler previous_ = nullptr;
};

} // namespace

XErrorTrap::XErrorTrap(_XDisplay* dpy) : dpy_(dpy) {
    Owner::the().add(this);
}

XErrorTrap::~XErrorTrap() {
    Owner::the().remove(this);
}

} // namespace ocuvell
