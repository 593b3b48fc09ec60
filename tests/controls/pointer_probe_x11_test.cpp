// The X11 pointer probe on the dummy X server: every answer is where the pointer is when
// the probe is asked, not where it was at some earlier poll.
#include "core/controls/pointer_probe.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>
#include <xcb/xcb.h>

using namespace ocuvell;

namespace {

// Moves the pointer from a connection of its own; the round trip after the move makes
// sure the server has done it before the probe asks.
class PointerMover {
  public:
    explicit PointerMover(const char* display) : c_(xcb_connect(display, nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    }
    ~PointerMover() { xcb_disconnect(c_); }
    void moveTo(int x, int y) {
        xcb_warp_pointer(c_, XCB_NONE, root_, 0, 0, 0, 0, static_cast<int16_t>(x),
                         static_cast<int16_t>(y));
        std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    }

  private:
    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
};

} // namespace

TEST(PointerProbeX11, EachAnswerIsWhereThePointerIsWhenAsked) {
    const char* display = std::getenv("OCUVELL_TEST_XDISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "OCUVELL_TEST_XDISPLAY is not set (scripts/test.sh starts a dummy Xorg)";
    ::setenv("DISPLAY", display, 1);
    std::unique_ptr<PointerProbe> probe = openX11PointerProbe();
    ASSERT_TRUE(probe) << "no X server on " << display;
    PointerMover mover(display);

    int x = 0, y = 0;
    const int points[][2] = {{100, 100}, {200, 50}, {201, 50}, {10, 700}, {10, 700}, {640, 360}};
    for (const auto& p : points) {
        mover.moveTo(p[0], p[1]);
        ASSERT_TRUE(probe->position(x, y));
        EXPECT_EQ(x, p[0]);
        EXPECT_EQ(y, p[1]);
    }
    // After a rest (the window was hidden), still where it is now.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    mover.moveTo(7, 9);
    ASSERT_TRUE(probe->position(x, y));
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 9);
}
