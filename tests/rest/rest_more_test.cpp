// The schedule's options beyond the historical ones: rest later, away counts as a rest, the
// clock looked at on resume, and a tip held back by a full-screen window.
#include "core/rest/rest_schedule.h"
#include "support/rest_fakes.h"
#include "support/sim_clock.h"

#include <gtest/gtest.h>

namespace ocuvell {
namespace {

using testing::FakePanel;
using testing::RecordingWindows;
using testing::SimClock;
using Stage = RestSchedule::Stage;

// Idle time as the desktop would tell it: input sets it back to zero, time adds to it.
class FakeIdle : public IdleSource {
  public:
    explicit FakeIdle(SimClock& clock) : clock_(clock) {}
    std::optional<long long> idleMilliseconds() override {
        return (clock_.day * 86400 + clock_.seconds - lastInput_) * 1000;
    }
    void input() { lastInput_ = clock_.day * 86400 + clock_.seconds; }

  private:
    SimClock& clock_;
    long long lastInput_ = 0;
};

class FakeFullscreen : public FullscreenSource {
  public:
    bool on = false, polled = false;
    bool fullscreenActive() override { return on; }
    bool needsPolling() const override { return polled; }
};

// The schedule's clock as a timer runs it: a tick when the one asked for falls due.
class DrivenTicks : public TickView {
  public:
    bool everySecond = false;
    long long dueMs = -1; // none
    int onceInMs = 0;     // the last one asked for
    void tickEverySecond() override { everySecond = true; }
    void tickOnceIn(int ms) override { everySecond = false, dueMs = onceInMs = ms; }
    void stopTicking() override { everySecond = false, dueMs = -1; }
};

class More : public ::testing::Test {
  protected:
    SimClock clock{9, 0, 30};
    FakePanel panel;
    RecordingWindows windows;
    DrivenTicks ticks;
    FakeIdle idle{clock};
    FakeFullscreen fullscreen;
    RestSchedule schedule{clock};

    // Reminders on at 09:00:30: every hour a 5-minute rest, the first at 10:01.
    void SetUp() override {
        schedule.attach({&panel, &windows, &windows, &ticks});
        schedule.setIdleSource(&idle);
        schedule.setFullscreenSource(&fullscreen);
        schedule.loadStored("60", "5");
        schedule.switchReminders(true);
        idle.input();
    }
    // Seconds go by, the user typing or not, and the schedule ticks when it asked to.
    void run(int seconds, bool typing = false) {
        for (int i = 0; i < seconds; ++i) {
            clock.advance();
            if (typing)
                idle.input();
            if (ticks.dueMs >= 0)
                ticks.dueMs -= 1000;
            if (ticks.everySecond || (ticks.dueMs > -1000 && ticks.dueMs <= 0))
                schedule.tick();
        }
    }
};

TEST_F(More, RestLaterMovesTheNextRestOrTheTipUpByTheChosenMinutes) {
    ASSERT_EQ(schedule.postponeMinutes(), 10);
    schedule.setPostponeMinutes(121); // out of range: the default
    EXPECT_EQ(schedule.postponeMinutes(), 10);
    schedule.setPostponeMinutes(7);
    schedule.restLater();
    EXPECT_EQ(panel.nextRest, "10:08");
    // Pressed while the tip is up: the tip goes and the rest comes 7 minutes from now.
    run(68 * 60);
    ASSERT_TRUE(windows.tipShown);
    run(90);
    schedule.restLater();
    EXPECT_FALSE(windows.tipShown);
    EXPECT_EQ(schedule.stage(), Stage::Waiting);
    EXPECT_EQ(panel.nextRest, "10:17");
    // Nothing while reminders are off.
    schedule.switchReminders(false);
    schedule.restLater();
    EXPECT_EQ(panel.nextRest, "10:17");
}

TEST_F(More, AwayForARestLengthCountsAsARestEndingWhenInputReturns) {
    schedule.setAwayCountsAsRest(true);
    // 4:59 away is not a rest.
    run(60, true);
    run(299);
    idle.input();
    run(60, true);
    EXPECT_EQ(panel.nextRest, "10:01");
    // A video player resetting the idle time every 30 s keeps an absence from counting.
    for (int i = 0; i < 20; ++i) {
        run(30);
        idle.input();
    }
    EXPECT_EQ(panel.nextRest, "10:01");
    // Six minutes away from 09:17:29; input returns at 09:23:29 and the next minute's
    // look finds it: the next rest is an hour after the return, rounded up.
    run(6 * 60);
    idle.input();
    run(45);
    EXPECT_EQ(panel.nextRest, "10:24");
    EXPECT_EQ(windows.tipsShown, 0);
}

TEST_F(More, ATipThatCameWhileAwayStaysUntilTheReturnWhichIsSeenWithinASecond) {
    schedule.setAwayCountsAsRest(true);
    run(61 * 60); // away from 09:00:30; the tip comes at 10:01
    ASSERT_TRUE(windows.tipShown);
    // Away for a rest's length already: the return is looked for every second.
    EXPECT_EQ(ticks.onceInMs, 1000);
    run(30 * 60);
    EXPECT_TRUE(windows.tipShown);
    idle.input();
    run(1);
    EXPECT_FALSE(windows.tipShown);
    EXPECT_EQ(schedule.stage(), Stage::Waiting);
    EXPECT_EQ(panel.nextRest, "11:32"); // back at 10:31:30
}

TEST_F(More, ATipUpForAShortAbsenceWaitsForItsAnswer) {
    schedule.setAwayCountsAsRest(true);
    run(61 * 60, true);
    ASSERT_TRUE(windows.tipShown);
    // Present: one look when the idle time could reach a rest's length, no beat.
    EXPECT_EQ(ticks.onceInMs, 5 * 60000 + RestSchedule::kMinuteMarginMs);
    run(3 * 60);
    idle.input();
    run(5 * 60, true);
    EXPECT_EQ(schedule.stage(), Stage::TipShown);
}

TEST_F(More, ResumeLooksAtTheClockAtOnceAndCountsALongSleepAsARest) {
    // Option off: a sleep over the rest time brings the tip at resume, not a minute later.
    schedule.sessionAway();
    clock.advance(65 * 60);
    schedule.sessionBack();
    EXPECT_TRUE(windows.tipShown);
    schedule.declineTip(); // next at 11:06

    schedule.setAwayCountsAsRest(true);
    schedule.sessionAway();
    clock.advance(4 * 60 + 59); // shorter than a rest: nothing moves
    schedule.sessionBack();
    EXPECT_EQ(panel.nextRest, "11:06");
    schedule.sessionAway();
    clock.advance(5 * 60); // a lock as long as a rest: the next rest from now, 10:15:29
    schedule.sessionBack();
    EXPECT_EQ(panel.nextRest, "11:16");
    EXPECT_FALSE(windows.tipShown);
}

// A lock counts as a rest only while the user's own input stayed away through it: a lock
// worked through (another session's) moves nothing; input just before the unlock is the
// unlocking itself.
TEST_F(More, ALockCountsAsARestOnlyWhileTheUsersInputStayedAway) {
    schedule.setAwayCountsAsRest(true);
    schedule.sessionAway(RestSchedule::Away::Locked);
    run(10 * 60, true);
    schedule.sessionBack();
    EXPECT_EQ(panel.nextRest, "10:01");
    schedule.sessionAway(RestSchedule::Away::Locked); // 09:10:30
    run(6 * 60);
    run(20, true);
    schedule.sessionBack(); // 09:16:50: a rest ending now
    EXPECT_EQ(panel.nextRest, "10:17");
}

TEST_F(More, AFullScreenWindowHoldsTheTipBackUntilItGoes) {
    schedule.setDeferFullscreen(true);
    fullscreen.on = true;
    run(61 * 60);
    EXPECT_FALSE(windows.tipShown);
    EXPECT_TRUE(schedule.tipHeldBack());
    fullscreen.on = false;
    schedule.fullscreenChanged();
    EXPECT_TRUE(windows.tipShown);

    // A source without change notices is asked every second while it holds a tip back.
    schedule.declineTip();
    fullscreen.on = fullscreen.polled = true;
    run(61 * 60);
    ASSERT_TRUE(schedule.tipHeldBack());
    EXPECT_EQ(ticks.onceInMs, 1000);
    fullscreen.on = false;
    run(1);
    EXPECT_TRUE(windows.tipShown);

    // A running countdown is never interrupted, and the option off shows a held tip.
    schedule.acceptTip();
    fullscreen.on = true;
    run(60);
    EXPECT_TRUE(windows.restShown);
    schedule.closeRestScreen(); // its countdown's end schedules the next rest an hour on
    run(70 * 60);
    ASSERT_TRUE(schedule.tipHeldBack());
    schedule.setDeferFullscreen(false);
    EXPECT_TRUE(windows.tipShown);
}

TEST(IdleCounter, MillisecondsBetweenReadingsSurviveTheWrap) {
    EXPECT_EQ(millisecondsBetween(1500, 500), 1000);
    EXPECT_EQ(millisecondsBetween(0x10, 0xFFFFFFF0u), 0x20);
}

} // namespace
} // namespace ocuvell
