#include "rest/rest_schedule.h"
#include "rest_fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ocuvell {
namespace {

using test::FakeClock;
using test::FakePanel;

// The popup and rest screen as the schedule sees them; the close runs the rest screen's
// own steps so that the end of a rest behaves as it does with the real forms.
class FakeWindows : public RestWindows {
  public:
    explicit FakeWindows(RestSchedule& s) : schedule(s) {}
    RestSchedule& schedule;
    bool tipLoadedFlag = false, tipShown = false, restLoaded = false;
    std::string tipCaption, restCaption = "开始";
    int tipproValue = 0, tipproMax = 100, snapshots = 0, tipsShown = 0, closes = 0;

    void showTip() override { tipLoadedFlag = tipShown = true, ++tipsShown; }
    void setTipCaption(const std::string& s) override { tipLoadedFlag = true, tipCaption = s; }
    void setTipproValue(int v) override { tipLoadedFlag = true, tipproValue = v; }
    void setTipproMax(int m) override { tipLoadedFlag = true, tipproMax = m; }
    bool tipLoaded() const override { return tipLoadedFlag; }
    void unloadTip() override { tipLoadedFlag = tipShown = false, tipCaption.clear(); }
    void restSnapshot() override { restLoaded = true, ++snapshots; }
    void setRestCaption(const std::string& s) override { restLoaded = true, restCaption = s; }
    void restImgcloseClick() override {
        ++closes;
        schedule.okdsxxadd_Click();
        schedule.Pdtipshow = 0;
        restLoaded = false, restCaption = "开始";
    }
    // The popup's two answers, in their order.
    void restNow() {
        schedule.form2tip_Click();
        schedule.Pdtipshow = 1;
        unloadTip();
        restLoaded = true;
    }
    void notNow() {
        schedule.dsxxadd();
        schedule.Pdtipshow = 0;
        unloadTip();
    }
};

class Schedule : public ::testing::Test {
  protected:
    FakeClock clock;
    FakePanel panel;
    RestSchedule schedule{panel, clock};
    FakeWindows windows{schedule};
    std::vector<std::string> captions; // every caption change of the rest screen

    void SetUp() override {
        schedule.setWindows(&windows);
        clock.set(9, 0, 30);
    }
    // Load step with reminders on, as the main window runs it.
    void start(const std::string& mei, const std::string& xiuxi) {
        schedule.loadStored(mei, xiuxi);
        schedule.SafeSwitch2_Click(true);
        schedule.dsxxadd();
    }
    // Advances the clock one second per tick and checks the invariants after each.
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            clock.advance();
            const std::string before = windows.restCaption;
            schedule.Timer1_Timer();
            if (windows.restCaption != before && windows.restCaption != "开始")
                captions.push_back(windows.restCaption);
            ASSERT_TRUE(schedule.Pdtipshow == 0 || schedule.Pdtipshow == 1);
            ASSERT_TRUE(schedule.Pdcountdown == 0 || schedule.Pdcountdown == 1);
            ASSERT_GE(schedule.xxhour, 0);
            ASSERT_LE(schedule.xxhour, 9);
            ASSERT_GE(schedule.xxmin, 0);
            ASSERT_LE(schedule.xxmin, 59);
            ASSERT_GE(schedule.xxsec, 0);
            ASSERT_LE(schedule.xxsec, 60);
            ASSERT_GE(schedule.xxticks, 0);
            ASSERT_LE(schedule.xxticks, 32760);
        }
    }
    // Ticks until the tip shows (at most a day), answers it with rest-now.
    void waitForTipAndRest() {
        for (int i = 0; i < 86400 && !windows.tipShown; ++i)
            tick();
        ASSERT_TRUE(windows.tipShown);
        windows.restNow();
    }
    // Ticks of the rest under way until it ends.
    int ticksUntilRestEnds() {
        int n = 0;
        while (schedule.Pdcountdown == 1 && n < 40000) {
            tick();
            ++n;
        }
        return n;
    }
};

TEST_F(Schedule, FirstStartWithoutStoredValuesUsesDefaults) {
    start("mei", "xiuxi"); // a missing key reads as its own name
    EXPECT_EQ(panel.t2, "45");
    EXPECT_EQ(panel.t3, "5");
    EXPECT_EQ(panel.dh0, "45");
    EXPECT_EQ(panel.dh1, "5");
    EXPECT_EQ(panel.t1, "09:45");
    EXPECT_EQ(panel.label5, "09:45");
    EXPECT_EQ(schedule.Pdxxrun, "1");
    EXPECT_TRUE(panel.headingGreen);
    EXPECT_TRUE(panel.edit1Visible);
    EXPECT_EQ(schedule.meiToSave(), "45");
    EXPECT_EQ(schedule.xiuxiToSave(), "5");
}

TEST_F(Schedule, StoredValuesOutsideTheirBoundsFallBack) {
    schedule.loadStored("30", "10");
    EXPECT_EQ(panel.t2, "30");
    EXPECT_EQ(panel.t3, "10");
    schedule.loadStored("-20", "555");
    EXPECT_EQ(panel.t2, "-20");
    EXPECT_EQ(panel.t3, "555");
    schedule.loadStored("1441", "0");
    EXPECT_EQ(panel.t2, "45");
    EXPECT_EQ(panel.t3, "5");
    schedule.loadStored("2.5", "556");
    EXPECT_EQ(panel.t2, "45");
    EXPECT_EQ(panel.t3, "5");
    schedule.loadStored("", "-3");
    EXPECT_EQ(panel.t2, "45");
    EXPECT_EQ(panel.t3, "5");
}

TEST_F(Schedule, NextRestWrapsAtMidnightAndDropsSeconds) {
    clock.set(23, 50, 59);
    start("15", "5");
    EXPECT_EQ(panel.t1, "00:05");
    panel.t2 = "-30";
    schedule.setok_Click(1);
    EXPECT_EQ(panel.t1, "23:20");
    panel.t2 = "1440";
    schedule.setok_Click(2);
    EXPECT_EQ(panel.t1, "23:50");
    EXPECT_EQ(panel.label5, "23:50");
}

TEST_F(Schedule, OkWithUnusableEntriesKeepsTheLastValidValues) {
    start("20", "3");
    panel.ppsetVisible = true;
    for (const char* bad : {"1441", "-1441", "99999999999", "2.5", "abc", ""}) {
        panel.t2 = bad;
        schedule.setok_Click(1);
        EXPECT_EQ(panel.t2, "20") << bad;
        EXPECT_EQ(panel.t1, "09:20") << bad;
    }
    for (const char* bad : {"0", "-5", "556", "4294967297", "3.5", "x"}) {
        panel.t3 = bad;
        schedule.setok_Click(1);
        EXPECT_EQ(panel.t3, "3") << bad;
        EXPECT_EQ(panel.dh1, "3") << bad;
    }
    EXPECT_FALSE(panel.ppsetVisible);
    panel.t3 = "4";
    schedule.setok_Click(1);
    panel.t3 = "9999";
    EXPECT_EQ(schedule.restLengthMinutes(), 4);
    EXPECT_EQ(schedule.xiuxiToSave(), "4");
}

TEST_F(Schedule, BackLeavesTypedValuesForTheNextReschedule) {
    start("20", "3");
    panel.ppsetVisible = true;
    panel.t2 = "7";
    schedule.setno_Click(1);
    EXPECT_FALSE(panel.ppsetVisible);
    EXPECT_EQ(panel.t2, "7");
    EXPECT_EQ(panel.t1, "09:20");
    schedule.okdsxxadd_Click();
    EXPECT_EQ(panel.t1, "09:07");
}

// A rest typed as 0 and left in the box through Back must not start a countdown that
// never ends: the last valid length is used.
TEST_F(Schedule, UnconfirmedUnusableRestLengthStillEnds) {
    start("1", "2");
    panel.t3 = "0";
    schedule.setno_Click(1);
    waitForTipAndRest();
    EXPECT_EQ(windows.tipCaption, "");
    EXPECT_EQ(windows.tipproMax, 120);
    EXPECT_EQ(ticksUntilRestEnds(), 120);
}

TEST_F(Schedule, ThreeMinuteRestEndToEndWithEveryCaption) {
    start("10", "3");
    tick(9 * 60 + 29); // 09:09:59: not yet
    EXPECT_FALSE(windows.tipShown);
    tick(); // 09:10:00
    ASSERT_TRUE(windows.tipShown);
    EXPECT_EQ(windows.tipCaption, "立即休息 3 分钟");
    EXPECT_EQ(schedule.Pdtipshow, 1);
    tick(59); // the rest of the due minute shows nothing new
    EXPECT_EQ(windows.tipsShown, 1);

    windows.restNow();
    EXPECT_EQ(windows.tipproMax, 180);
    EXPECT_EQ(windows.tipproValue, 0);
    EXPECT_EQ(windows.restCaption, "开始");
    EXPECT_EQ(ticksUntilRestEnds(), 180);

    std::vector<std::string> expected;
    for (int m = 2; m >= 0; --m)
        for (int s = (m == 2 ? 59 : 60); s >= 1; --s)
            expected.push_back("0:" + std::to_string(m) + ":" + std::to_string(s));
    EXPECT_EQ(captions, expected);
    EXPECT_EQ(windows.tipproValue, 180);
    EXPECT_EQ(windows.snapshots, 180);
    EXPECT_FALSE(windows.tipLoaded());
    EXPECT_FALSE(windows.restLoaded);
    EXPECT_EQ(windows.closes, 1);
    EXPECT_EQ(schedule.Pdtipshow, 0);
    EXPECT_EQ(schedule.Pdcountdown, 0);
    EXPECT_EQ(panel.t1, "09:23"); // accepted at 09:10:59, ended at 09:13:59, plus 10
    EXPECT_EQ(panel.label5, "09:23");
}

TEST_F(Schedule, RestLengthsInTicks) {
    const std::vector<std::pair<int, int>> lengths = {
        {1, 60},    {3, 180},    {60, 3600},  {61, 3601},   {62, 3660},
        {90, 5340}, {120, 7140}, {121, 7141}, {180, 10680}, {555, 32760}};
    start("1440", "1");
    for (const auto& [minutes, ticks] : lengths) {
        panel.t3 = std::to_string(minutes);
        schedule.form2tip_Click();
        EXPECT_EQ(windows.tipproMax, minutes * 60);
        captions.clear();
        EXPECT_EQ(ticksUntilRestEnds(), ticks) << minutes;
        EXPECT_EQ(schedule.xxticks, ticks) << minutes;
        if (minutes == 61) {
            EXPECT_EQ(captions.front(), "0:59:60");
        } else if (minutes == 90) {
            EXPECT_EQ(captions.front(), "1:29:59");
        } else if (minutes == 555) {
            EXPECT_EQ(captions.front(), "9:14:59");
        }
        EXPECT_EQ(captions.back(), "0:0:1") << minutes;
    }
}

TEST_F(Schedule, UnansweredTipStaysAndNothingMovesOn) {
    start("1", "1");
    tick(30); // 09:01:00
    ASSERT_TRUE(windows.tipShown);
    const int writes = panel.text1Writes;
    tick(3 * 86400);
    EXPECT_EQ(windows.tipsShown, 1);
    EXPECT_EQ(panel.text1Writes, writes);
    EXPECT_EQ(panel.t1, "09:01");
}

TEST_F(Schedule, NotNowWithIntervalZeroTipsAgainOnTheNextTick) {
    start("0", "1");
    tick();
    ASSERT_TRUE(windows.tipShown);
    windows.notNow();
    EXPECT_EQ(schedule.Pdtipshow, 0);
    EXPECT_FALSE(windows.tipLoaded());
    tick();
    EXPECT_TRUE(windows.tipShown);
    EXPECT_EQ(windows.tipsShown, 2);
}

TEST_F(Schedule, MissedMinuteComesBackADayLater) {
    start("1", "1"); // due 09:01
    schedule.SafeSwitch2_Click(false);
    tick(120);
    schedule.Pdxxrun = "1"; // back on without rescheduling
    tick(86400 - 150);      // 09:00:00 the next day
    EXPECT_FALSE(windows.tipShown);
    tick(60);
    EXPECT_TRUE(windows.tipShown);
}

TEST_F(Schedule, ReminderOffDuringARestFreezesTheCountdown) {
    start("1", "3");
    waitForTipAndRest();
    tick(10);
    EXPECT_EQ(captions.back(), "0:2:50");
    schedule.SafeSwitch2_Click(false);
    EXPECT_FALSE(panel.headingGreen);
    EXPECT_FALSE(panel.edit1Visible);
    tick(600);
    EXPECT_EQ(captions.back(), "0:2:50");
    EXPECT_EQ(schedule.Pdtipshow, 1);
    clock.set(14, 0, 10);
    schedule.SafeSwitch2_Click(true);
    EXPECT_EQ(panel.t1, "14:01");
    EXPECT_EQ(ticksUntilRestEnds(), 170);
    EXPECT_EQ(panel.t1, "14:04"); // ended 14:03:00
}

TEST_F(Schedule, ClosingEarlyCountsOnUnseenAndTheLaterScheduleWins) {
    start("10", "3");
    waitForTipAndRest(); // 09:10:00
    tick(30);
    windows.restImgcloseClick(); // the close image
    EXPECT_EQ(schedule.Pdtipshow, 0);
    EXPECT_EQ(schedule.Pdcountdown, 1);
    EXPECT_EQ(panel.t1, "09:20");
    EXPECT_EQ(ticksUntilRestEnds(), 150);
    EXPECT_EQ(panel.t1, "09:23");
    EXPECT_EQ(windows.closes, 2);
    EXPECT_EQ(schedule.Pdtipshow, 0);
}

TEST_F(Schedule, UnseenCountdownEndingUnderANewTipClosesIt) {
    start("1", "3");
    waitForTipAndRest();         // 09:01:00
    windows.restImgcloseClick(); // next rest 09:02, countdown unseen until 09:04:00
    tick(60);
    ASSERT_TRUE(windows.tipShown);
    EXPECT_EQ(schedule.Pdcountdown, 1);
    tick(119);
    EXPECT_EQ(schedule.Pdcountdown, 1);
    EXPECT_TRUE(windows.tipShown);
    tick(); // 09:04:00, tick 180 of the rest
    EXPECT_EQ(schedule.Pdcountdown, 0);
    EXPECT_FALSE(windows.tipLoaded());
    EXPECT_EQ(schedule.Pdtipshow, 0);
    EXPECT_EQ(panel.t1, "09:05");
}

TEST_F(Schedule, AcceptingANewTipRestartsTheUnseenCountdown) {
    start("1", "3");
    waitForTipAndRest();
    windows.restImgcloseClick();
    tick(60);
    windows.restNow();
    EXPECT_EQ(ticksUntilRestEnds(), 180);
}

TEST_F(Schedule, CommandsMoveTheNextRestButNotItsLabel) {
    start("20", "5");
    schedule.Command1_Click();
    EXPECT_EQ(panel.t1, "09:40");
    EXPECT_EQ(panel.label5, "09:20");
    clock.set(23, 50);
    schedule.Command2_Click();
    EXPECT_EQ(panel.t1, "00:15");
    EXPECT_EQ(panel.label5, "09:20");
    panel.t1 = "garbage";
    schedule.Command1_Click();
    EXPECT_EQ(panel.t1, "00:10");
}

TEST_F(Schedule, OffTicksDoNothing) {
    start("0", "1");
    schedule.SafeSwitch2_Click(false);
    tick(3600);
    EXPECT_FALSE(windows.tipShown);
    schedule.Pdxxrun = "yes"; // only exactly "1" counts as on
    tick(60);
    EXPECT_FALSE(windows.tipShown);
}

} // namespace
} // namespace ocuvell
