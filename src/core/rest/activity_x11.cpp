// The idle time from the MIT-SCREEN-SAVER extension, and the active window's full-screen
// state from the window manager's _NET_ACTIVE_WINDOW and _NET_WM_STATE, each over a
// connection of its own. The full-screen state is watched, not polled: PropertyNotify on
// the root window (the focus moves) and on the active window (its state changes). Each
// connects the first time its option asks, not at start.
#include "core/rest/activity.h"
#include "core/x11/error_trap.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace ocuvell {

namespace {

bool x11Desktop() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return x && *x && !(wayland && *wayland);
}

class X11Idle : public IdleSource {
  public:
    ~X11Idle() override {
        if (info_)
            XFree(info_);
        if (dpy_)
            XCloseDisplay(dpy_);
    }
    std::optional<long long> idleMilliseconds() override {
        if (!connect() || !XScreenSaverQueryInfo(dpy_, DefaultRootWindow(dpy_), info_))
            return std::nullopt;
        return static_cast<long long>(info_->idle);
    }

  private:
    // The first question connects; a server without the extension is not asked again.
    bool connect() {
        if (dpy_ || tried_)
            return dpy_ != nullptr;
        tried_ = true;
        ::Display* dpy = XOpenDisplay(nullptr);
        int event = 0, error = 0;
        if (!dpy || !XScreenSaverQueryExtension(dpy, &event, &error) ||
            !(info_ = XScreenSaverAllocInfo())) {
            if (dpy)
                XCloseDisplay(dpy);
            return false;
        }
        dpy_ = dpy;
        return true;
    }

    ::Display* dpy_ = nullptr;
    XScreenSaverInfo* info_ = nullptr;
    bool tried_ = false;
};

class X11Fullscreen : public FullscreenSource {
  public:
    ~X11Fullscreen() override {
        if (!dpy_)
            return;
        quiet_.reset();
        XCloseDisplay(dpy_);
    }

    void watch(bool on) override {
        if (on == watching_ || (on && !connect()))
            return;
        watching_ = on;
        XSelectInput(dpy_, DefaultRootWindow(dpy_), on ? PropertyChangeMask : NoEventMask);
        if (on) {
            follow();
        } else if (active_) {
            if (active_ != DefaultRootWindow(dpy_))
                XSelectInput(dpy_, active_, NoEventMask);
            active_ = None;
        }
        XFlush(dpy_);
    }

    // Replies can bring events along into Xlib's queue, where the descriptor no longer
    // shows them: they are taken in before the answer is trusted.
    bool fullscreenActive() override {
        if (!dpy_)
            return false;
        bool full = false;
        do {
            dispatch();
            full = activeIsFullscreen();
        } while (XEventsQueued(dpy_, QueuedAlready) > 0);
        return full;
    }

    int fd() const override { return dpy_ ? ConnectionNumber(dpy_) : -1; }

    bool dispatch() override {
        bool changed = false;
        while (dpy_ && XPending(dpy_)) {
            XEvent e;
            XNextEvent(dpy_, &e);
            if (e.type != PropertyNotify || !watching_)
                continue;
            if (e.xproperty.window == DefaultRootWindow(dpy_) && e.xproperty.atom == activeAtom_) {
                follow();
                changed = true;
            } else if (e.xproperty.window == active_ && e.xproperty.atom == stateAtom_) {
                changed = true;
            }
        }
        return changed;
    }

  private:
    // The first watch connects, once: a server that refuses is not asked again.
    bool connect() {
        if (dpy_ || tried_)
            return dpy_ != nullptr;
        tried_ = true;
        dpy_ = XOpenDisplay(nullptr);
        if (!dpy_)
            return false;
        activeAtom_ = XInternAtom(dpy_, "_NET_ACTIVE_WINDOW", False);
        stateAtom_ = XInternAtom(dpy_, "_NET_WM_STATE", False);
        fullscreenAtom_ = XInternAtom(dpy_, "_NET_WM_STATE_FULLSCREEN", False);
        quiet_.emplace(dpy_);
        becameWatchable();
        return true;
    }

    bool activeIsFullscreen() {
        if (!watching_ || !active_)
            return false;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy_, active_, stateAtom_, 0, 64, False, XA_ATOM, &type, &format,
                               &count, &after, &data) != Success ||
            !data)
            return false;
        bool full = false;
        if (type == XA_ATOM && format == 32) {
            const auto* atoms = reinterpret_cast<const Atom*>(data);
            for (unsigned long i = 0; i < count; ++i)
                full = full || atoms[i] == fullscreenAtom_;
        }
        XFree(data);
        return full;
    }

    // Watches the window that has the focus now, and no longer the one before.
    void follow() {
        Window now = None;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy_, DefaultRootWindow(dpy_), activeAtom_, 0, 1, False, XA_WINDOW,
                               &type, &format, &count, &after, &data) == Success &&
            data) {
            if (type == XA_WINDOW && format == 32 && count == 1)
                std::memcpy(&now, data, sizeof now);
            XFree(data);
        }
        if (now == active_)
            return;
        // The root window's selection carries the focus changes themselves: a window
        // manager that names the root active must not make us drop it when the focus moves
        // on, nor may the root's be replaced.
        const Window root = DefaultRootWindow(dpy_);
        if (active_ && active_ != root)
            XSelectInput(dpy_, active_, NoEventMask);
        active_ = now;
        if (active_ && active_ != root)
            XSelectInput(dpy_, active_, PropertyChangeMask);
        XFlush(dpy_);
    }

    ::Display* dpy_ = nullptr;
    // Errors on a window that went away between two requests are expected on the
    // watching connection, for as long as it is open.
    std::optional<XErrorTrap> quiet_;
    Atom activeAtom_ = None, stateAtom_ = None, fullscreenAtom_ = None;
    Window active_ = None;
    bool watching_ = false;
    bool tried_ = false;
};

} // namespace

std::unique_ptr<IdleSource> openIdleSource() {
    return x11Desktop() ? std::make_unique<X11Idle>() : nullptr;
}

std::unique_ptr<FullscreenSource> openFullscreenSource() {
    return x11Desktop() ? std::make_unique<X11Fullscreen>() : nullptr;
}

} // namespace ocuvell
