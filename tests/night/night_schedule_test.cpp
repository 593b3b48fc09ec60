// Night colour's schedule on the simulated clock: progress by the sun's elevation and by
// fixed times, when it looks again, pauses, clock jumps, half-hour zones and summer time.
#include "core/night/night_schedule.h"
#include "core/night/sun.h"
#include "night_test_support.h"
#include "support/sim_clock.h"

#include <gtest/gtest.h>

namespace ocuvell::test {
namespace {

const GeoPoint kBeijing{39.9042, 116.4074};
constexpr int kChina = 8 * 3600;

class NightScheduleTest : public ::testing::Test {
  protected:
    testing::SimClock clock;
    NightSchedule night{clock};

    // The clock at a UTC moment, in a zone offset seconds ahead.
    void at(long long utc, int offset = kChina) {
        clock.utcOffset = offset;
        const long long local = utc + offset;
        clock.day = local / 86400;
        clock.seconds = static_cast<int>(local % 86400);
    }
    void chooseSun(GeoPoint place = kBeijing) {
        NightChoice c;
        c.on = true;
        c.place = place;
        night.choose(c);
    }
    void chooseTimes(int from, int to) {
        NightChoice c;
        c.on = true;
        c.from = from;
        c.to = to;
        night.choose(c);
    }
    long long nextLookAt() { return clock.utcSeconds() + *night.msUntilNextLook() / 1000; }
};

TEST_F(NightScheduleTest, ProgressFollowsTheSunsElevationBetweenMinus6AndPlus3) {
    const long long noon = utcOf(2025, 3, 20, 4);
    for (const auto& [elevation, progress] :
         {std::pair{-6.0, 1.0}, std::pair{-1.5, 0.5}, std::pair{3.0, 0.0}}) {
        at(*sunCrossing(noon, kBeijing, 90 - elevation, false));
        chooseSun();
        EXPECT_NEAR(night.progress(), progress, 0.005) << elevation;
    }
    // During the evening's change: once a minute, on the minute.
    at(*sunCrossing(noon, kBeijing, 91.5, false));
    chooseSun();
    EXPECT_LE(*night.msUntilNextLook(), 60000);
    EXPECT_EQ(nextLookAt() % 60, 0);
    // The factors warm with it, and the temperature is halfway.
    EXPECT_EQ(night.kelvinNow(), 5500);
    EXPECT_LT(night.factors()[2], 1.0);
}

TEST_F(NightScheduleTest, AwayFromAChangeItSleepsUntilTheNextOneStarts) {
    at(utcOf(2025, 3, 20, 4)); // Beijing noon
    chooseSun();
    EXPECT_EQ(night.progress(), 0);
    EXPECT_EQ(night.factors(), (std::array<double, 3>{1, 1, 1}));
    const long long evening = *sunCrossing(clock.utcSeconds(), kBeijing, 87, false);
    EXPECT_GE(nextLookAt(), evening);
    EXPECT_LE(nextLookAt(), evening + 60);
    // At night, until the morning's rise through -6 degrees; the night ends at +3.
    at(utcOf(2025, 3, 20, 16)); // local midnight
    night.look();
    EXPECT_EQ(night.progress(), 1);
    const long long dawn = *sunCrossing(utcOf(2025, 3, 21, 4), kBeijing, 96, true);
    EXPECT_GE(nextLookAt(), dawn);
    EXPECT_LE(nextLookAt(), dawn + 60);
    EXPECT_EQ(night.shownUntil(), sunCrossing(utcOf(2025, 3, 21, 4), kBeijing, 87, true));
    // Switched off: neutral, and nothing to look at.
    NightChoice off = night.choice();
    off.on = false;
    night.choose(off);
    EXPECT_EQ(night.progress(), 0);
    EXPECT_EQ(night.msUntilNextLook(), std::nullopt);
}

TEST_F(NightScheduleTest, PolarDaysAndNightsLookAgainOnlyEveryFewHours) {
    for (const long long day : {utcOf(2025, 6, 21, 12), utcOf(2025, 12, 21, 12)}) {
        at(day, 0);
        chooseSun(GeoPoint{78.2, 15.6}); // Longyearbyen, past 72 degrees
        EXPECT_EQ(night.progress(), day == utcOf(2025, 6, 21, 12) ? 0 : 1);
        EXPECT_GE(*night.msUntilNextLook(), 3600 * 1000);
    }
}

TEST_F(NightScheduleTest, AClockJumpIsLookedAtAtOnce) {
    at(utcOf(2025, 3, 20, 4));
    chooseSun();
    const long long sleptUntil = nextLookAt();
    clock.advance(10 * 3600); // 22:00 local: the clock was set on
    night.look();
    EXPECT_EQ(night.progress(), 1);
    EXPECT_GT(nextLookAt(), sleptUntil);
    clock.advance(-10 * 3600); // and back
    night.look();
    EXPECT_EQ(night.progress(), 0);
    EXPECT_EQ(nextLookAt(), sleptUntil);
}

TEST_F(NightScheduleTest, PausesEndWhenTheyShould) {
    at(utcOf(2025, 3, 20, 15)); // 23:00 local
    chooseSun();
    night.pauseHour();
    EXPECT_EQ(night.progress(), 0);
    EXPECT_EQ(*night.msUntilNextLook(), 3600 * 1000);
    clock.advance(3599);
    night.look();
    EXPECT_EQ(night.progress(), 0);
    clock.advance(1);
    night.look();
    EXPECT_EQ(night.progress(), 1);
    EXPECT_EQ(night.pausedUntil(), std::nullopt);

    // Until the next change: tonight is skipped until the day's colours would be back.
    const long long morning = *sunCrossing(utcOf(2025, 3, 21, 4), kBeijing, 87, true);
    night.pauseUntilNextChange();
    EXPECT_EQ(night.pausedUntil(), morning);
    at(morning - 60);
    night.look();
    EXPECT_EQ(night.progress(), 0);
    // In the day it skips the coming night.
    at(utcOf(2025, 3, 21, 4));
    night.look();
    night.pauseUntilNextChange();
    EXPECT_EQ(night.pausedUntil(), sunCrossing(utcOf(2025, 3, 22, 4), kBeijing, 87, true));
    // Switching off and on ends a pause.
    NightChoice c = night.choice();
    c.on = false;
    night.choose(c);
    c.on = true;
    night.choose(c);
    EXPECT_EQ(night.pausedUntil(), std::nullopt);
}

TEST_F(NightScheduleTest, FixedTimesRampOverTheHalfHourEndingAtEachTimeInAHalfHourZone) {
    constexpr int kIndia = 5 * 3600 + 1800;
    const long long day = utcOf(2025, 1, 10) - kIndia; // local midnight
    at(day + 19 * 3600 + 45 * 60, kIndia);
    chooseTimes(20 * 60, 6 * 60);
    EXPECT_DOUBLE_EQ(night.progress(), 0.5);
    EXPECT_EQ(nextLookAt(), day + 19 * 3600 + 46 * 60);
    at(day + 12 * 3600, kIndia);
    night.look();
    EXPECT_EQ(night.progress(), 0);
    EXPECT_EQ(nextLookAt(), day + 19 * 3600 + 30 * 60);
    at(day + 23 * 3600, kIndia);
    night.look();
    EXPECT_EQ(night.progress(), 1);
    EXPECT_EQ(nextLookAt(), day + 29 * 3600 + 30 * 60);
    EXPECT_EQ(night.shownUntil(), day + 30 * 3600);
    at(day + 29 * 3600 + 50 * 60, kIndia);
    night.look();
    EXPECT_NEAR(night.progress(), 1 / 3.0, 1e-9);
}

TEST(NightLook, FixedTimesFollowTheWallClockAcrossASummerTimeChange) {
    // Europe/Berlin, 2025-03-30: 02:00 CET becomes 03:00 CEST at 01:00 UTC.
    const long long change = utcOf(2025, 3, 30, 1);
    const ZoneRule berlin = [change](long long utc) { return utc < change ? 3600 : 7200; };
    NightChoice c;
    c.on = true;
    const NightLook night = lookAtNight(c, utcOf(2025, 3, 29, 23, 30), berlin); // 00:30 CET
    EXPECT_EQ(night.progress, 1);
    EXPECT_EQ(night.next, utcOf(2025, 3, 30, 3, 30)); // 05:30 CEST, four hours on
    EXPECT_EQ(night.until, utcOf(2025, 3, 30, 4));    // 06:00 CEST
    // The sun does not care for the clock: the same elevation a day apart.
    c.place = GeoPoint{52.52, 13.405};
    const NightLook sun = lookAtNight(c, change + 5 * 3600, berlin);
    EXPECT_EQ(sun.progress, 0);
    EXPECT_NEAR(sunElevation(sun.next - 30, *c.place), 3, 0.01);
}

} // namespace
} // namespace ocuvell::test
