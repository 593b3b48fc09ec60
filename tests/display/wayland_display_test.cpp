// The Wayland gamma-control backend against a fake compositor: outputs of gamma size 256
// and 1024, one that answers failed and ones of sizes no display has, outputs that come
// and go, a compositor that stops reading, closes the connection or offers no control.
#include "core/display/backends.h"
#include "core/model/colour_model.h"
#include "core/settings/settings_place.h"
#include "support/env_var.h"
#include "support/fake_compositor.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <poll.h>

namespace ocuvell {
namespace {

using testing::EnvVar;
using testing::FakeCompositor;

// What the program's event loop does: read the connection whenever it has something,
// here until cond holds or the time is up.
bool pumpUntil(Display& display, const std::function<bool()>& cond,
               std::chrono::milliseconds within = std::chrono::seconds(2)) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        DisplayEvents* events = display.events();
        if (!events || events->fd() < 0)
            return cond();
        pollfd pfd{events->fd(),
                   static_cast<short>(events->wantsWrite() ? POLLIN | POLLOUT : POLLIN), 0};
        ::poll(&pfd, 1, 20);
        events->dispatch();
    }
    return true;
}

std::size_t openFds() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

std::vector<std::uint16_t> tablesOf(const GammaRamp& ramp, std::size_t size) {
    std::vector<std::uint16_t> out(3 * size);
    for (int c = 0; c < 3; ++c)
        resampleTo(ramp.channel(c), out.data() + c * size, size);
    return out;
}

class WaylandGamma : public ::testing::Test {
  protected:
    void SetUp() override {
        small = compositor.addOutput(256);
        large = compositor.addOutput(1024);
        refusing = compositor.addOutput(0);
    }
    std::unique_ptr<Display> open() {
        ::testing::internal::CaptureStderr();
        auto display = openDisplay();
        stderrAtOpen = ::testing::internal::GetCapturedStderr();
        return display;
    }
    // The newest table an output received equals ramp, resampled to its size.
    bool shows(int output, const GammaRamp& ramp, std::size_t size) {
        const auto tables = compositor.tables(output);
        return !tables.empty() && tables.back().sealed &&
               tables.back().entries == tablesOf(ramp, size);
    }

    // A slider dragged hard: many ramps, each different; all taken. Returns the last.
    GammaRamp burst(Display& display, int count) {
        GammaRamp ramp = GammaRamp::identity();
        for (int i = 0; i < count; ++i) {
            ramp.at(0, 255) = static_cast<std::uint16_t>(30000 + i % 30000);
            ramp.at(2, 128) = static_cast<std::uint16_t>(i);
            if (!display.writeRamp(ramp))
                ADD_FAILURE() << "write " << i << " refused";
        }
        return ramp;
    }

    FakeCompositor compositor;
    EnvVar wayland{"WAYLAND_DISPLAY", compositor.socket().c_str()};
    EnvVar x11{"DISPLAY", ":4711"}; // never asked in a Wayland session
    int small = 0, large = 0, refusing = 0;
    std::string stderrAtOpen;
};

TEST_F(WaylandGamma, StoredEyeProtectionAndSliderStepsReachEveryOutputThatTakesGamma) {
    const auto dir = testing::freshTestDir("display");
    SettingsPlace place({dir, dir / "user"});
    testing::putFile(dir / "config.ini",
                     "[eye]\nliangdu=-10\nduibidu=100\nrgbr=0\nrgbg=0\nrgbb=-20\npdrun=1\n");
    ColourModel colour(open(), place);
    Display& display = colour.engine().display();
    EXPECT_EQ(display.name(), "Wayland gamma control");
    EXPECT_EQ(display.trouble(), DisplayTrouble::NoTrouble);
    EXPECT_EQ(stderrAtOpen, ""); // one output refusing is no news while others work
    EXPECT_FALSE(display.keepsRampAfterExit());

    colour.captureDisplay();
    colour.eyeModeOn();
    const GammaRamp shown = colour.engine().newramp();
    EXPECT_EQ(colour.engine().baseramp(), GammaRamp::identity());
    EXPECT_NE(shown, GammaRamp::identity());
    EXPECT_TRUE(pumpUntil(display, [&] { return shows(small, shown, 256); }));
    EXPECT_TRUE(pumpUntil(display, [&] { return shows(large, shown, 1024); }));

    for (int step : {-11, -12, -13}) {
        colour.setBrightness(step);
        const GammaRamp now = colour.engine().newramp();
        EXPECT_TRUE(pumpUntil(display, [&] { return shows(large, now, 1024); })) << step;
        EXPECT_TRUE(shows(small, now, 256)) << step;
    }
    EXPECT_EQ(compositor.tableCount(refusing), 0u);
    EXPECT_EQ(compositor.error(), "");
}

TEST_F(WaylandGamma, OutputsThatComeGetTheCurrentRampAndOutputsThatGoAreLeftOut) {
    auto display = open();
    GammaRamp ramp = GammaRamp::identity();
    ramp.at(0, 255) = 40000;
    ASSERT_TRUE(display->writeRamp(ramp));

    const int later = compositor.addOutput(512);
    EXPECT_TRUE(pumpUntil(*display, [&] { return shows(later, ramp, 512); }));

    compositor.removeOutput(small);
    const std::size_t before = compositor.tableCount(small);
    ramp.at(1, 255) = 30000;
    // The removal reaches the backend in its own time; the writes meanwhile are harmless.
    EXPECT_TRUE(pumpUntil(*display, [&] {
        display->writeRamp(ramp);
        return shows(large, ramp, 1024) && shows(later, ramp, 512);
    }));
    EXPECT_EQ(compositor.tableCount(small), before);
    EXPECT_EQ(display->trouble(), DisplayTrouble::NoTrouble);
    EXPECT_EQ(compositor.error(), "");
}

TEST_F(WaylandGamma, ACompositorThatClosesTheConnectionLeavesAStandInThatSaysSo) {
    auto display = open();
    ASSERT_EQ(display->trouble(), DisplayTrouble::NoTrouble);
    compositor.disconnectClients();
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(
        pumpUntil(*display, [&] { return display->trouble() != DisplayTrouble::NoTrouble; }));
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(display->trouble(), DisplayTrouble::CompositorGone);
    EXPECT_EQ(told, "Ocuvell: colours cannot be changed on this display (the Wayland "
                    "compositor closed the connection)\n");
    EXPECT_EQ(display->events()->fd(), -1);
    EXPECT_FALSE(display->writeRamp(GammaRamp::identity()));
    GammaRamp read;
    EXPECT_TRUE(display->readRamp(read)); // values can still be set and stored
}

TEST_F(WaylandGamma, NoOutputThatTakesGammaIsToldOnceWithItsReason) {
    compositor.removeOutput(small);
    compositor.removeOutput(large);
    auto display = open();
    EXPECT_EQ(display->name(), "Wayland gamma control");
    EXPECT_EQ(display->trouble(), DisplayTrouble::NoWaylandOutput);
    EXPECT_EQ(stderrAtOpen, std::string("Ocuvell: colours cannot be changed on this display (") +
                                troubleWords(display->trouble()) + ")\n");
    // An output that comes later makes the colours controllable, and that is told once
    // however often the output set changes afterwards.
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 10; ++i) {
        const int output = compositor.addOutput(256);
        EXPECT_TRUE(
            pumpUntil(*display, [&] { return display->trouble() == DisplayTrouble::NoTrouble; }));
        compositor.removeOutput(output);
        EXPECT_TRUE(pumpUntil(
            *display, [&] { return display->trouble() == DisplayTrouble::NoWaylandOutput; }));
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Ocuvell: colours can be changed on this display now\n");
}

TEST_F(WaylandGamma, ABurstWhileTheCompositorDoesNotReadEndsWithTheNewestRampAndNoMoreFiles) {
    auto display = open();
    ASSERT_TRUE(display->writeRamp(GammaRamp::identity()));
    ASSERT_TRUE(pumpUntil(*display, [&] { return shows(large, GammaRamp::identity(), 1024); }));
    const std::size_t files = openFds();
    const std::size_t tablesBefore = compositor.tableCount(large);

    compositor.setReading(false);
    ::testing::internal::CaptureStderr();
    const GammaRamp last = burst(*display, 10000);
    EXPECT_LE(openFds(), files + 2); // at most a table for each output waits
    EXPECT_EQ(display->trouble(), DisplayTrouble::NoTrouble);

    compositor.setReading(true);
    EXPECT_TRUE(
        pumpUntil(*display, [&] { return shows(small, last, 256) && shows(large, last, 1024); }));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_LE(compositor.tableCount(large), tablesBefore + 2); // the newest wins
    EXPECT_EQ(display->trouble(), DisplayTrouble::NoTrouble);
    EXPECT_LE(openFds(), files);
    // Control is kept: the next change arrives as any other.
    GammaRamp next = last;
    next.at(1, 200) = 1234;
    EXPECT_TRUE(display->writeRamp(next));
    EXPECT_TRUE(pumpUntil(*display, [&] { return shows(large, next, 1024); }));
    EXPECT_EQ(compositor.error(), "");
}

TEST_F(WaylandGamma, ACompositorThatStopsReadingIsWaitedForUntilItDisconnects) {
    const std::size_t files = openFds();
    auto display = open();
    compositor.setReading(false);
    ::testing::internal::CaptureStderr();
    burst(*display, 10000);
    // Not reading is not gone: nothing said, the connection still watched.
    EXPECT_FALSE(pumpUntil(
        *display, [&] { return display->trouble() != DisplayTrouble::NoTrouble; },
        std::chrono::milliseconds(300)));
    EXPECT_GE(display->events()->fd(), 0);

    compositor.disconnectClients();
    EXPECT_TRUE(
        pumpUntil(*display, [&] { return display->trouble() == DisplayTrouble::CompositorGone; }));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Ocuvell: colours cannot be changed on this display (the Wayland compositor "
              "closed the connection)\n");
    EXPECT_EQ(display->events()->fd(), -1);
    EXPECT_LE(openFds(), files); // the connection and what it held are closed
}

TEST_F(WaylandGamma, AnOutputWithAGammaSizeBeyondAnyDisplayFailsAndTheOthersWork) {
    const int widest = compositor.addOutput(65536);
    const int huge = compositor.addOutput(1u << 24);
    const int absurd = compositor.addOutput(0xffffffffu);
    auto display = open();
    EXPECT_EQ(display->trouble(), DisplayTrouble::NoTrouble);
    EXPECT_EQ(stderrAtOpen, "");
    GammaRamp ramp = GammaRamp::identity();
    ramp.at(0, 255) = 40000;
    ASSERT_TRUE(display->writeRamp(ramp));
    EXPECT_TRUE(pumpUntil(*display, [&] {
        return shows(small, ramp, 256) && shows(large, ramp, 1024) && shows(widest, ramp, 65536);
    }));
    EXPECT_EQ(compositor.tableCount(huge), 0u);
    EXPECT_EQ(compositor.tableCount(absurd), 0u);
    EXPECT_EQ(compositor.error(), "");
}

TEST(WaylandSession, ADesktopWithoutGammaControlIsNamedAndXIsNeverAsked) {
    const std::pair<std::vector<std::string>, DisplayTrouble> desktops[] = {
        {{"org_kde_plasma_shell"}, DisplayTrouble::KdeDesktop},
        {{"gtk_shell1"}, DisplayTrouble::GnomeDesktop},
        {{}, DisplayTrouble::NoGammaManager},
    };
    for (const auto& [globals, reason] : desktops) {
        FakeCompositor compositor({false, globals});
        EnvVar wayland("WAYLAND_DISPLAY", compositor.socket().c_str());
        EnvVar x11("DISPLAY", ":4711");
        ::testing::internal::CaptureStderr();
        auto display = openDisplay();
        ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(display->name(), "memory") << troubleWords(reason);
        EXPECT_EQ(display->trouble(), reason) << troubleWords(display->trouble());
    }
}

} // namespace
} // namespace ocuvell
