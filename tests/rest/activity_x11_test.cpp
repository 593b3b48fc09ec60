// The full-screen watcher on the dummy X server, with a window manager's properties set
// from a connection of the test's own.
#include "core/rest/activity.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <poll.h>
// After GoogleTest, whose names Xlib's macros (None, Bool) would otherwise replace.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace ocuvell;

namespace {

// What a window manager tells: the active window, and a window's full-screen state.
class FakeWindowManager {
  public:
    explicit FakeWindowManager(const char* display) : dpy_(XOpenDisplay(display)) {}
    ~FakeWindowManager() {
        if (dpy_)
            XCloseDisplay(dpy_);
    }
    bool connected() const { return dpy_ != nullptr; }
    Window root() const { return DefaultRootWindow(dpy_); }
    Window newWindow() { return XCreateSimpleWindow(dpy_, root(), 0, 0, 10, 10, 0, 0, 0); }
    void setActive(Window w) {
        XChangeProperty(dpy_, root(), atom("_NET_ACTIVE_WINDOW"), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&w), 1);
        XSync(dpy_, False);
    }
    void setFullscreen(Window w, bool on) {
        Atom state = atom("_NET_WM_STATE_FULLSCREEN");
        XChangeProperty(dpy_, w, atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&state), on ? 1 : 0);
        XSync(dpy_, False);
    }

  private:
    Atom atom(const char* name) { return XInternAtom(dpy_, name, False); }
    ::Display* dpy_;
};

// Whether the source hears news within two seconds, as the program's event loop would.
bool heard(FullscreenSource& source) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < end) {
        if (source.dispatch())
            return true;
        pollfd p{source.fd(), POLLIN, 0};
        ::poll(&p, 1, 50);
    }
    return false;
}

} // namespace

// Some window managers name the root window active when nothing has the focus; the focus
// moving on from there must still be heard.
TEST(FullscreenX11, FocusChangesAreHeardAfterTheRootWasActive) {
    const char* display = std::getenv("OCUVELL_TEST_XDISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "OCUVELL_TEST_XDISPLAY is not set (scripts/test.sh starts a dummy Xorg)";
    ::setenv("DISPLAY", display, 1);
    ::unsetenv("WAYLAND_DISPLAY");
    FakeWindowManager wm(display);
    ASSERT_TRUE(wm.connected());
    const Window video = wm.newWindow(), editor = wm.newWindow();
    wm.setFullscreen(video, true);
    wm.setActive(editor);

    std::unique_ptr<FullscreenSource> source = openFullscreenSource();
    ASSERT_TRUE(source);
    source->watch(true);
    ASSERT_GE(source->fd(), 0);
    EXPECT_FALSE(source->fullscreenActive());

    wm.setActive(wm.root());
    EXPECT_TRUE(heard(*source));
    EXPECT_FALSE(source->fullscreenActive());
    wm.setActive(video);
    EXPECT_TRUE(heard(*source));
    EXPECT_TRUE(source->fullscreenActive());
    wm.setActive(editor);
    EXPECT_TRUE(heard(*source));
    EXPECT_FALSE(source->fullscreenActive());
    // The active window's own state is still followed.
    wm.setActive(video);
    EXPECT_TRUE(heard(*source));
    EXPECT_TRUE(source->fullscreenActive()); // a round trip: the server has our selection
    wm.setFullscreen(video, false);
    EXPECT_TRUE(heard(*source));
    EXPECT_FALSE(source->fullscreenActive());
}
