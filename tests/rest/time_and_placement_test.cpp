#include "core/rest/placement.h"
#include "core/rest/time_of_day.h"

#include <gtest/gtest.h>

namespace ocuvell {
namespace {

TEST(TimeOfDay, ParsesOnlyTimesOfDay) {
    EXPECT_EQ(parseTimeOfDay("00:00"), 0);
    EXPECT_EQ(parseTimeOfDay("23:59"), 1439);
    EXPECT_EQ(parseTimeOfDay("7:05"), 425);
    for (const char* bad : {"", "12:3", "24:00", "12:60", "1230", "ab:cd", "-1:30", "12:30:00"})
        EXPECT_FALSE(parseTimeOfDay(bad)) << bad;
}

TEST(TimeOfDay, AddingWrapsAroundMidnightBothWays) {
    EXPECT_EQ(formatTimeOfDay(addMinutes(23 * 60 + 50, 15)), "00:05");
    EXPECT_EQ(formatTimeOfDay(addMinutes(10, -30)), "23:40");
    EXPECT_EQ(formatTimeOfDay(addMinutes(600, 1445)), "10:05");
    EXPECT_EQ(formatTimeOfDay(addMinutes(600, -1440)), "10:00");
    // Extreme minutes must not overflow: 2^31 - 1 = 127 and -2^31 = -128 modulo a day.
    EXPECT_EQ(formatTimeOfDay(addMinutes(5, 2147483647)), "02:12");
    EXPECT_EQ(formatTimeOfDay(addMinutes(5, -2147483647 - 1)), "21:57");
}

TEST(TimeOfDay, WholeNumbersOnly) {
    EXPECT_EQ(parseWholeNumber("45"), 45);
    EXPECT_EQ(parseWholeNumber(" -30 "), -30);
    EXPECT_EQ(parseWholeNumber("+7"), 7);
    EXPECT_EQ(parseWholeNumber("007"), 7);
    EXPECT_EQ(parseWholeNumber("99999999999"), 2147483647);
    EXPECT_EQ(parseWholeNumber("-99999999999999999999999"), -2147483647 - 1);
    for (const char* bad : {"", " ", "-", "2.5", "1e3", "5 min", "mei", "+-5", "9999999999x"})
        EXPECT_FALSE(parseWholeNumber(bad)) << bad;
}

// Screen 1920x1080, popup 332x90 (4980 x 1350 twips), taskbar 40 pixels thick.
TEST(TipPlacement, FollowsTheTaskbarAtEachEdge) {
    const PixelRect screen{0, 0, 1920, 1080};
    auto at = [&](PixelRect work) { return tipPopupPosition(screen, work, 332, 90); };

    const PixelPoint bottom = at({0, 0, 1920, 1040}); // directly above the taskbar
    EXPECT_EQ(bottom.x, 1588);
    EXPECT_EQ(bottom.y, 950);
    const PixelPoint top = at({0, 40, 1920, 1040}); // on the screen's bottom edge
    EXPECT_EQ(top.x, 1588);
    EXPECT_EQ(top.y, 990);
    const PixelPoint left = at({40, 0, 1880, 1080});
    EXPECT_EQ(left.x, 1588);
    EXPECT_EQ(left.y, 990);
    const PixelPoint right = at({0, 0, 1880, 1080}); // overlaps the taskbar, touches the edge
    EXPECT_EQ(right.x, 1588);
    EXPECT_EQ(right.y, 990);
}

TEST(TipPlacement, ScreenAwayFromTheOrigin) {
    const PixelPoint p = tipPopupPosition({1920, 100, 1280, 1024}, {1920, 100, 1280, 994}, 332, 90);
    EXPECT_EQ(p.x, 1920 + 1280 - 332);
    EXPECT_EQ(p.y, 100 + 1024 - 90 - 30);
}

TEST(RestScreenCentring, HalvesGoToEven) {
    EXPECT_EQ(centredLeft(1920, 60), 930);  // imgclose
    EXPECT_EQ(centredLeft(1920, 729), 596); // Text1: 595.5
    EXPECT_EQ(centredLeft(1920, 881), 520); // Picture1: 519.5
    EXPECT_EQ(centredLeft(1366, 729), 318); // 318.5
    EXPECT_EQ(centredLeft(800, 881), -40);  // -40.5: wider than the screen
    EXPECT_EQ(centredLeft(800, 883), -42);  // -41.5
}

} // namespace
} // namespace ocuvell
