#include "core/display/backends.h"
#include "support/env_var.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#ifdef OCUVELL_HAVE_X11
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#endif

namespace ocuvell {
namespace {

using testing::EnvVar;

TEST(DisplaySelect, FallsBackToMemoryWithOneLineOnStderr) {
    EnvVar display("DISPLAY", nullptr);
    EnvVar wayland("WAYLAND_DISPLAY", "/nonexistent/wayland-0");
    ::testing::internal::CaptureStderr();
    auto d = openDisplay();
    const std::string err = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->name(), "memory");
#ifdef OCUVELL_HAVE_WAYLAND
    EXPECT_EQ(err, "Ocuvell: colours cannot be changed on this display (cannot connect to the "
                   "Wayland compositor)\n");
#else
    EXPECT_EQ(err, "Ocuvell: colours cannot be changed on this display (built without Wayland "
                   "support)\n");
#endif
    GammaRamp r;
    ASSERT_TRUE(d->readRamp(r));
    EXPECT_EQ(r, GammaRamp::identity());
}

#ifdef OCUVELL_HAVE_X11
const char* testDisplay() {
    const char* name = std::getenv("OCUVELL_TEST_XDISPLAY");
    return name && *name ? name : nullptr;
}

TEST(X11Display, UnreachableServerIsRefusedWithAReason) {
    DisplayTrouble why = DisplayTrouble::NoTrouble;
    EXPECT_EQ(openX11Display(":4711", &why), nullptr);
    EXPECT_EQ(why, DisplayTrouble::CannotOpenX);
    if (!testDisplay())
        return;
    EnvVar display("DISPLAY", testDisplay());
    ::testing::internal::CaptureStderr();
    auto d = openDisplay();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(d->name(), "X11 RandR");
}

// Checks against the server through a connection of its own.
class X11Server : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testDisplay())
            GTEST_SKIP() << "OCUVELL_TEST_XDISPLAY is not set";
        dpy = XOpenDisplay(testDisplay());
        ASSERT_NE(dpy, nullptr);
        res = XRRGetScreenResourcesCurrent(dpy, DefaultRootWindow(dpy));
        ASSERT_NE(res, nullptr);
    }
    void TearDown() override {
        if (res)
            XRRFreeScreenResources(res);
        if (dpy)
            XCloseDisplay(dpy);
    }
    RRCrtc primaryCrtc() {
        XRROutputInfo* info =
            XRRGetOutputInfo(dpy, res, XRRGetOutputPrimary(dpy, DefaultRootWindow(dpy)));
        const RRCrtc crtc = info ? info->crtc : 0;
        if (info)
            XRRFreeOutputInfo(info);
        return crtc;
    }
    void setChannelValue(RRCrtc crtc, std::uint16_t value) {
        const int size = XRRGetCrtcGammaSize(dpy, crtc);
        XRRCrtcGamma* g = XRRAllocGamma(size);
        for (int i = 0; i < size; ++i)
            g->red[i] = g->green[i] = g->blue[i] = static_cast<std::uint16_t>(value + i);
        XRRSetCrtcGamma(dpy, crtc, g);
        XRRFreeGamma(g);
        XSync(dpy, False);
    }

    ::Display* dpy = nullptr;
    XRRScreenResources* res = nullptr;
};

TEST_F(X11Server, WriteReachesEveryCrtcAndReadTakesThePrimary) {
    DisplayTrouble why = DisplayTrouble::NoTrouble;
    auto display = openX11Display(testDisplay(), &why);
    ASSERT_TRUE(display) << troubleWords(why);
    GammaRamp saved;
    ASSERT_TRUE(display->readRamp(saved));

    int withGamma = 0;
    GammaRamp ramp;
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < GammaRamp::kSize; ++j)
            ramp.at(c, j) = static_cast<std::uint16_t>(200 * j + 1000 * c);
    ASSERT_TRUE(display->writeRamp(ramp));
    for (int i = 0; i < res->ncrtc; ++i) {
        const int size = XRRGetCrtcGammaSize(dpy, res->crtcs[i]);
        if (size != 256) // the dummy driver's size; others are covered by the resampling
            continue;
        ++withGamma;
        XRRCrtcGamma* g = XRRGetCrtcGamma(dpy, res->crtcs[i]);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->red[17], ramp.at(0, 17)) << "CRTC " << i;
        EXPECT_EQ(g->green[255], ramp.at(1, 255)) << "CRTC " << i;
        EXPECT_EQ(g->blue[100], ramp.at(2, 100)) << "CRTC " << i;
        XRRFreeGamma(g);
    }
    EXPECT_GE(withGamma, 1);
    RecordProperty("crtcs_with_gamma", withGamma);

    // Another CRTC holding something else must not be what a capture reads.
    const RRCrtc primary = primaryCrtc();
    for (int i = 0; i < res->ncrtc; ++i)
        if (res->crtcs[i] != primary && XRRGetCrtcGammaSize(dpy, res->crtcs[i]) > 0)
            setChannelValue(res->crtcs[i], 9);
    if (primary)
        setChannelValue(primary, 3);
    GammaRamp read;
    ASSERT_TRUE(display->readRamp(read));
    EXPECT_EQ(read.at(1, 10), primary ? 13 : 19);
    EXPECT_TRUE(display->writeRamp(saved));
}
#endif

} // namespace
} // namespace ocuvell
