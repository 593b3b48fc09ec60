// Xlib's one error handler, owned by the traps, on the dummy X server: a trap catches its
// own connection's errors whatever else is set or gone meanwhile, every other
// connection's go to the handler set before, and that handler is back at the end.
#include "core/x11/error_trap.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
// After GoogleTest, whose names Xlib's macros (None, Bool) would otherwise replace.
#include <X11/Xlib.h>

using namespace ocuvell;

namespace {

int othersSeen = 0;
int countOthers(::Display*, XErrorEvent*) {
    ++othersSeen;
    return 0;
}

// A request the server refuses (no such window), and the wait for its error.
void refused(::Display* dpy) {
    XMapWindow(dpy, 0x7ffff01);
    XSync(dpy, False);
}

} // namespace

TEST(XErrorTrap, EachConnectionsErrorsGoWhereTheyBelong) {
    const char* display = std::getenv("OCUVELL_TEST_XDISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "OCUVELL_TEST_XDISPLAY is not set (scripts/test.sh starts a dummy Xorg)";
    ::Display* watching = XOpenDisplay(display);
    ::Display* keys = XOpenDisplay(display);
    ASSERT_TRUE(watching && keys);
    XSetErrorHandler(countOthers);

    {
        // The full-screen watcher's trap lives long; a grab's comes and goes inside it.
        auto quiet = std::make_unique<XErrorTrap>(watching);
        {
            const XErrorTrap grab(keys);
            XSync(keys, False);
            EXPECT_FALSE(grab.failed());
            const XErrorTrap nested(keys);
            refused(keys);
            EXPECT_TRUE(grab.failed());
            EXPECT_TRUE(nested.failed());
        }
        EXPECT_FALSE(quiet->failed());
        refused(watching);
        EXPECT_TRUE(quiet->failed());
        EXPECT_EQ(othersSeen, 0);
        refused(keys); // no trap on it any more
        EXPECT_EQ(othersSeen, 1);
    }
    EXPECT_EQ(XSetErrorHandler(nullptr), countOthers);
    XCloseDisplay(keys);
    XCloseDisplay(watching);
}
