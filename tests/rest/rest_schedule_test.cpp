#include "core/rest/rest_schedule.h"
#include "core/rest/time_of_day.h"
#include "support/rest_fakes.h"
#include "support/sim_clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ocuvell {
namespace {

using testing::FakePanel;
using testing::RecordingWindows;
using testing::SimClock;
using Stage = RestSchedule::Stage;

class Schedule : public ::testing::Test {
  protected:
    SimClock clock;
    FakePanel panel;
    RestSchedule schedule{panel, clock};
    RecordingWindows windows;
    std::vector<std::string> captions; // every caption change of the rest screen

    void SetUp() override {
        schedule.setWindows(&windows);
        clock.set(9, 0, 30);
    }
    // Load step with reminders on, as the main window runs it.
    void start(const std::string& mei, const std::string& xiuxi) {
        schedule.loadStored(mei, xiuxi);
        schedule.switchReminders(true);
        schedule.rescheduleFromNow();
    }
    // Advances the clock one second per tick and checks the invariants after each.
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            clock.advance();
            const std::string before = windows.restCaption;
            schedule.tick();
            if (windows.restCaption != before && windows.restCaption != "开始")
                captions.push_back(windows.restCaption);
            ASSERT_EQ(schedule.stage() == Stage::Off, !schedule.remindersOn());
            ASSERT_GE(schedule.xxhour(), 0);
            ASSERT_LE(schedule.xxhour(), 9);
            ASSERT_GE(schedule.xxmin(), 0);
            ASSERT_LE(schedule.xxmin(), 59);
            ASSERT_GE(schedule.xxsec(), 0);
            ASSERT_LE(schedule.xxsec(), 60);
            ASSERT_GE(schedule.xxticks(), 0);
            ASSERT_LE(schedule.xxticks(), 32760);
        }
    }
    // Ticks until the tip shows (at most a day), answers it with rest-now.
    void waitForTipAndRest() {
        for (int i = 0; i < 86400 && !windows.tipShown; ++i)
            tick();
        ASSERT_TRUE(windows.tipShown);
        schedule.acceptTip();
    }
    // Ticks of the rest under way until it ends.
    int ticksUntilRestEnds() {
        int n = 0;
        while (schedule.pdcountdown() == 1 && n < 40000) {
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
    EXPECT_EQ(schedule.pdxxrun(), "1");
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
    schedule.loadStored("99999999999", "0");
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
    schedule.confirmSettings();
    EXPECT_EQ(panel.t1, "23:20");
    panel.t2 = "1440";
    schedule.confirmSettings();
    EXPECT_EQ(panel.t1, "23:50");
    EXPECT_EQ(panel.label5, "23:50");
}

TEST_F(Schedule, OkWithUnusableEntriesKeepsTheLastValidValues) {
    start("20", "3");
    panel.ppsetVisible = true;
    for (const char* bad : {"2147483648", "-2147483649", "99999999999", "2.5", "abc", ""}) {
        panel.t2 = bad;
        schedule.confirmSettings();
        EXPECT_EQ(panel.t2, "20") << bad;
        EXPECT_EQ(panel.t1, "09:20") << bad;
    }
    for (const char* bad : {"0", "-5", "556", "4294967297", "3.5", "x"}) {
        panel.t3 = bad;
        schedule.confirmSettings();
        EXPECT_EQ(panel.t3, "3") << bad;
        EXPECT_EQ(panel.dh1, "3") << bad;
    }
    EXPECT_FALSE(panel.ppsetVisible);
    panel.t3 = "4";
    schedule.confirmSettings();
    panel.t3 = "9999";
    EXPECT_EQ(schedule.restLengthMinutes(), 4);
    EXPECT_EQ(schedule.xiuxiToSave(), "4");
}

TEST_F(Schedule, BackLeavesTypedValuesForTheNextReschedule) {
    start("20", "3");
    panel.ppsetVisible = true;
    panel.t2 = "7";
    schedule.dismissSettings();
    EXPECT_FALSE(panel.ppsetVisible);
    EXPECT_EQ(panel.t2, "7");
    EXPECT_EQ(panel.t1, "09:20");
    schedule.rescheduleFromNow();
    EXPECT_EQ(panel.t1, "09:07");
}

// A rest typed as 0 and left in the box through Back must not start a countdown that
// never ends: the last valid length is used.
TEST_F(Schedule, UnconfirmedUnusableRestLengthStillEnds) {
    start("1", "2");
    panel.t3 = "0";
    schedule.dismissSettings();
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
    EXPECT_EQ(schedule.pdtipshow(), 1);
    tick(59); // the rest of the due minute shows nothing new
    EXPECT_EQ(windows.tipsShown, 1);

    schedule.acceptTip();
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
    EXPECT_EQ(windows.restUnloads, 1);
    EXPECT_EQ(schedule.pdtipshow(), 0);
    EXPECT_EQ(schedule.pdcountdown(), 0);
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
        schedule.startCountdown();
        EXPECT_EQ(windows.tipproMax, minutes * 60);
        captions.clear();
        EXPECT_EQ(ticksUntilRestEnds(), ticks) << minutes;
        EXPECT_EQ(schedule.xxticks(), ticks) << minutes;
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
    schedule.declineTip();
    EXPECT_EQ(schedule.pdtipshow(), 0);
    EXPECT_FALSE(windows.tipLoaded());
    tick();
    EXPECT_TRUE(windows.tipShown);
    EXPECT_EQ(windows.tipsShown, 2);
}

TEST_F(Schedule, MinuteMissedWhileOffComesBackADayLater) {
    start("1", "1"); // due 09:01
    schedule.switchReminders(false);
    tick(120);
    schedule.loadStoredReminders("1"); // back on without rescheduling
    tick(86400 - 150);                 // 09:00:00 the next day
    EXPECT_FALSE(windows.tipShown);
    tick(60);
    EXPECT_TRUE(windows.tipShown);
}

TEST_F(Schedule, ReminderOffDuringARestFreezesTheCountdown) {
    start("1", "3");
    waitForTipAndRest();
    tick(10);
    EXPECT_EQ(captions.back(), "0:2:50");
    schedule.switchReminders(false);
    EXPECT_FALSE(panel.headingGreen);
    EXPECT_FALSE(panel.edit1Visible);
    tick(600);
    EXPECT_EQ(captions.back(), "0:2:50");
    EXPECT_EQ(schedule.pdtipshow(), 1);
    clock.set(14, 0, 10);
    schedule.switchReminders(true);
    EXPECT_EQ(panel.t1, "14:01");
    EXPECT_EQ(ticksUntilRestEnds(), 170);
    EXPECT_EQ(panel.t1, "14:04"); // ended 14:03:00
}

TEST_F(Schedule, ClosingEarlyCountsOnUnseenAndTheLaterScheduleWins) {
    start("10", "3");
    waitForTipAndRest(); // 09:10:00
    tick(30);
    schedule.closeRestScreen(); // the close image
    EXPECT_EQ(schedule.pdtipshow(), 0);
    EXPECT_EQ(schedule.pdcountdown(), 1);
    EXPECT_EQ(panel.t1, "09:20");
    EXPECT_EQ(ticksUntilRestEnds(), 150);
    EXPECT_EQ(panel.t1, "09:23");
    EXPECT_EQ(windows.restUnloads, 2);
    EXPECT_EQ(schedule.pdtipshow(), 0);
}

// The end of a rest whose screen was closed early must not answer a tip shown since:
// the popup stays, no second tip comes over it, and the next rest waits for the answer.
TEST_F(Schedule, UnseenCountdownEndingUnderANewTipLeavesItForTheUser) {
    start("1", "3");
    waitForTipAndRest();        // 09:01:00
    schedule.closeRestScreen(); // next rest 09:02, countdown unseen until 09:04:00
    tick(60);
    ASSERT_TRUE(windows.tipShown);
    EXPECT_EQ(schedule.pdcountdown(), 1);
    tick(119);
    EXPECT_EQ(schedule.pdcountdown(), 1);
    EXPECT_TRUE(windows.tipShown);
    tick(); // 09:04:00, tick 180 of the rest
    EXPECT_EQ(schedule.pdcountdown(), 0);
    EXPECT_TRUE(windows.tipShown);
    EXPECT_EQ(windows.tipCaption, "立即休息 3 分钟");
    EXPECT_EQ(schedule.pdtipshow(), 1);
    EXPECT_FALSE(windows.restLoaded);
    EXPECT_EQ(panel.t1, "09:05"); // the next rest is still set at zero
    tick(3600);
    EXPECT_EQ(windows.tipsShown, 2);
    EXPECT_TRUE(windows.tipShown);
    schedule.declineTip(); // 10:04:00
    EXPECT_EQ(panel.t1, "10:05");
    tick(60);
    EXPECT_EQ(windows.tipsShown, 3);
}

// The sequence as a user met it: interval 1, rest 1, the rest screen closed after 5 s;
// the unseen countdown ends in the same second the next tip comes up.
TEST_F(Schedule, ShortRestClosedEarlyDoesNotSwallowTheNextTip) {
    start("1", "1");
    waitForTipAndRest(); // 09:01:00
    tick(5);
    schedule.closeRestScreen(); // next rest 09:02
    tick(55);                   // 09:02:00: new tip, and the old rest's last tick
    EXPECT_EQ(schedule.pdcountdown(), 0);
    ASSERT_TRUE(windows.tipShown);
    EXPECT_EQ(schedule.pdtipshow(), 1);
    tick(120);
    EXPECT_TRUE(windows.tipShown);
    EXPECT_EQ(windows.tipsShown, 2);
    schedule.acceptTip(); // its own rest runs and ends as any other
    EXPECT_EQ(ticksUntilRestEnds(), 60);
    EXPECT_FALSE(windows.tipLoaded());
    EXPECT_EQ(schedule.pdtipshow(), 0);
}

TEST_F(Schedule, AcceptingANewTipRestartsTheUnseenCountdown) {
    start("1", "3");
    waitForTipAndRest();
    schedule.closeRestScreen();
    tick(60);
    schedule.acceptTip();
    EXPECT_EQ(ticksUntilRestEnds(), 180);
}

TEST_F(Schedule, CommandsMoveTheNextRestButNotItsLabel) {
    start("20", "5");
    schedule.postpone();
    EXPECT_EQ(panel.t1, "09:40");
    EXPECT_EQ(panel.label5, "09:20");
    clock.set(23, 50);
    schedule.rescheduleAfterARest();
    EXPECT_EQ(panel.t1, "00:15");
    EXPECT_EQ(panel.label5, "09:20");
    panel.t1 = "garbage";
    schedule.postpone();
    EXPECT_EQ(panel.t1, "00:10");
}

TEST_F(Schedule, OffTicksDoNothing) {
    start("0", "1");
    schedule.switchReminders(false);
    tick(3600);
    EXPECT_FALSE(windows.tipShown);
    schedule.loadStoredReminders("yes"); // only exactly "1" counts as on
    tick(60);
    EXPECT_FALSE(windows.tipShown);
}

// --- Stages and what the windows are asked, in order --------------------------------

// Every stage of the states table, reached by the operations the forms call, with the
// popup and the rest screen asked for their part after the schedule has done its own.
TEST_F(Schedule, StagesFollowTheAnswersAndTheWindowsComeAfter) {
    start("1", "2");
    EXPECT_EQ(schedule.stage(), Stage::Waiting);
    tick(30); // 09:01:00
    EXPECT_EQ(schedule.stage(), Stage::TipShown);
    EXPECT_EQ(windows.calls, std::vector<std::string>{"showTip"});

    windows.calls.clear();
    schedule.acceptTip();
    EXPECT_EQ(schedule.stage(), Stage::Resting);
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"unloadTip", "showRest"}));
    EXPECT_EQ(schedule.xxmin(), 1); // counting already when the screen shows
    EXPECT_EQ(schedule.xxsec(), 60);

    windows.calls.clear();
    tick(10);
    schedule.closeRestScreen(); // 09:01:10
    EXPECT_EQ(schedule.stage(), Stage::CountingUnseen);
    EXPECT_EQ(windows.calls, std::vector<std::string>{"unloadRest"});
    EXPECT_EQ(panel.t1, "09:02");

    tick(50); // 09:02:00: a new tip over the unseen countdown
    EXPECT_EQ(schedule.stage(), Stage::TipOverUnseenRest);
    EXPECT_EQ(schedule.pdtipshow(), 1);
    EXPECT_EQ(schedule.pdcountdown(), 1);

    schedule.switchReminders(false); // everything stands still, underneath too
    EXPECT_EQ(schedule.stage(), Stage::Off);
    tick(600);
    EXPECT_EQ(schedule.xxticks(), 60);
    panel.t2 = "5";
    schedule.switchReminders(true); // 09:12:00, next rest 09:17
    EXPECT_EQ(schedule.stage(), Stage::TipOverUnseenRest);

    schedule.declineTip();
    EXPECT_EQ(schedule.stage(), Stage::CountingUnseen);
    tick(60); // the unseen rest ends: the screen is closed once more, no tip to unload
    EXPECT_EQ(schedule.stage(), Stage::Waiting);
    EXPECT_EQ(windows.calls.back(), "unloadRest");
}

// The end of a rest is the rest screen's own close, with windows attached or not: the
// next rest is set twice in the same second, and the stage comes out the same.
TEST_F(Schedule, EndOfRestClosesTheSameWayWithoutWindows) {
    const auto run = [this](bool attached) {
        schedule.setWindows(attached ? &windows : nullptr);
        clock.set(9, 0, 30);
        start("1", "3");
        tick(30);
        schedule.acceptTip();
        tick(179);
        const int writes = panel.text1Writes;
        tick();                                               // the last second of the rest
        EXPECT_EQ(panel.text1Writes - writes, 4) << attached; // two reschedules, two writes each
        EXPECT_EQ(schedule.stage(), Stage::Waiting) << attached;
        EXPECT_EQ(panel.t1, "09:05") << attached;
        EXPECT_EQ(panel.label5, "09:05") << attached;
    };
    run(true);
    EXPECT_FALSE(windows.restLoaded);
    EXPECT_FALSE(windows.tipLoaded());
    run(false);
}

// The popup's hidden twin of rest-now (Form1's form2tip) starts a countdown without a
// tip: it runs unseen, and a tip still waiting is then taken as a rest under way.
TEST_F(Schedule, CountdownStartedWithoutTheTip) {
    start("10", "1");
    schedule.startCountdown();
    EXPECT_EQ(schedule.stage(), Stage::CountingUnseen);
    EXPECT_EQ(ticksUntilRestEnds(), 60); // 09:01:30, the next rest 09:11
    EXPECT_EQ(schedule.stage(), Stage::Waiting);
    tick(9 * 60 + 30);
    ASSERT_EQ(schedule.stage(), Stage::TipShown);
    schedule.startCountdown();
    EXPECT_EQ(schedule.stage(), Stage::Resting);
    EXPECT_EQ(ticksUntilRestEnds(), 60);
    EXPECT_EQ(schedule.stage(), Stage::Waiting);
}

// --- The whole interval range ------------------------------------------------------

TEST_F(Schedule, EveryWholeIntervalWrapsModuloADay) {
    start("1445", "5"); // stored beyond a day: kept, five minutes on
    EXPECT_EQ(panel.t2, "1445");
    EXPECT_EQ(panel.t1, "09:05");
    EXPECT_EQ(schedule.meiToSave(), "1445");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"-1445", "08:55"},      {"2880", "09:00"},        {"-100000", "22:20"},
        {"2147483647", "11:07"}, {"-2147483648", "06:52"}, {" +0001441 ", "09:01"}};
    for (const auto& [interval, next] : cases) {
        panel.t2 = interval;
        schedule.confirmSettings();
        EXPECT_EQ(panel.t2, interval);
        EXPECT_EQ(panel.t1, next) << interval;
        schedule.rescheduleAfterARest(); // now + interval + rest length, in one day
        EXPECT_EQ(panel.t1, formatTimeOfDay(addMinutes(*parseTimeOfDay(next), 5))) << interval;
    }
    panel.t2 = "2147483648"; // beyond int: refused, the last one stays in use
    schedule.confirmSettings();
    EXPECT_EQ(panel.t2, "1441");
    EXPECT_EQ(schedule.intervalMinutes(), 1441);
}

TEST_F(Schedule, TipShowsTheRestLengthAsTyped) {
    start("1", "05");
    tick(30);
    ASSERT_TRUE(windows.tipShown);
    EXPECT_EQ(windows.tipCaption, "立即休息 05 分钟");
    schedule.declineTip();
    panel.t3 = "600"; // typed, not confirmed, and more than the countdown holds
    tick(60);
    ASSERT_TRUE(windows.tipShown);
    EXPECT_EQ(windows.tipCaption, "立即休息 5 分钟");
    schedule.acceptTip();
    EXPECT_EQ(ticksUntilRestEnds(), 300);
}

// --- Minutes no tick saw -----------------------------------------------------------

// A process stopped from 09:59:50 to 10:01:03 with the rest due at 10:00: the tip
// comes on the first tick after, once, and the rest of the schedule goes on as usual.
TEST_F(Schedule, GapAcrossTheRestTimeTipsOnTheFirstTickAfter) {
    clock.set(9, 59, 0);
    start("1", "1"); // due 10:00
    tick(50);        // 09:59:50
    EXPECT_FALSE(windows.tipShown);
    clock.advance(72); // stopped until 10:01:02
    tick();            // 10:01:03
    ASSERT_TRUE(windows.tipShown);
    EXPECT_EQ(windows.tipCaption, "立即休息 1 分钟");
    tick(300);
    EXPECT_EQ(windows.tipsShown, 1);
    schedule.declineTip(); // 10:06:03
    EXPECT_EQ(panel.t1, "10:07");
    tick(56);
    EXPECT_EQ(windows.tipsShown, 1);
    tick();
    EXPECT_EQ(windows.tipsShown, 2);
}

TEST_F(Schedule, GapThatDoesNotReachTheRestTimeShowsNothing) {
    clock.set(10, 0, 0);
    start("30", "1"); // due 10:30
    clock.advance(29 * 60 - 1);
    tick(); // 10:29:00
    EXPECT_FALSE(windows.tipShown);
    clock.advance(58);
    tick(); // 10:29:59
    EXPECT_FALSE(windows.tipShown);
    tick(); // 10:30:00, in its minute
    EXPECT_TRUE(windows.tipShown);
}

TEST_F(Schedule, GapAcrossMidnight) {
    clock.set(23, 50, 0);
    start("12", "1"); // due 00:02 tomorrow
    tick(9 * 60 + 30);
    EXPECT_FALSE(windows.tipShown);
    clock.advance(200); // 23:59:30 to 00:02:50, asleep
    tick();
    EXPECT_TRUE(windows.tipShown);

    // Due exactly at midnight, asleep from before it until after its minute.
    clock.set(23, 50, 0);
    schedule.declineTip();
    panel.t2 = "10";
    schedule.confirmSettings();
    EXPECT_EQ(panel.t1, "00:00");
    clock.advance(13 * 60);
    tick(); // 00:03:01 of the day after
    EXPECT_EQ(windows.tipsShown, 2);
}

// The rest time lies behind the present when the interval is negative: it comes round
// after most of a day, and a sleep across it then counts like any other.
TEST_F(Schedule, GapWithANegativeInterval) {
    clock.set(10, 0, 0);
    start("-30", "1"); // due 09:30 tomorrow
    EXPECT_EQ(panel.t1, "09:30");
    clock.advance(3 * 3600);
    tick(); // 13:00:01: three hours asleep, not across 09:30
    EXPECT_FALSE(windows.tipShown);
    clock.advance(20 * 3600);
    tick(); // 09:00:02 the next day
    EXPECT_FALSE(windows.tipShown);
    clock.advance(3600);
    tick(); // 10:00:03: slept across 09:30
    EXPECT_TRUE(windows.tipShown);
}

TEST_F(Schedule, SleepingForDaysTipsOnceOnWaking) {
    start("10", "1");
    clock.advance(3 * 86400 + 7);
    tick();
    EXPECT_TRUE(windows.tipShown);
    tick(3600);
    EXPECT_EQ(windows.tipsShown, 1);
}

// Setting the clock on across the rest time counts as reaching it; setting it back
// does not, and the rest time then comes round again by itself.
TEST_F(Schedule, ClockSetOnOrBack) {
    clock.set(10, 0, 0);
    start("5", "1"); // due 10:05
    tick(10);
    clock.set(10, 20, 0);
    tick();
    EXPECT_TRUE(windows.tipShown);

    schedule.declineTip(); // 10:20:01, due 10:25
    clock.set(10, 27, 0);
    clock.set(10, 10, 0); // on past it and back again between two ticks
    tick();
    EXPECT_FALSE(windows.tipShown);
    clock.set(10, 30, 0);
    tick();
    ASSERT_TRUE(windows.tipShown); // 10:10 to 10:30 passed 10:25
    schedule.declineTip();         // due 10:35
    clock.set(10, 1, 0);           // set back from after it to before it: nothing
    tick();
    EXPECT_FALSE(windows.tipShown);
    tick(34 * 60 - 2);
    EXPECT_FALSE(windows.tipShown);
    tick(); // 10:35:00
    EXPECT_TRUE(windows.tipShown);
}

// Reminders off during the sleep: turning them on sets a new rest time from the
// present, and the minutes that went by while off count for nothing.
TEST_F(Schedule, NoStaleTipAfterRemindersComeBackOn) {
    clock.set(10, 0, 0);
    start("5", "1"); // due 10:05
    tick(30);
    schedule.switchReminders(false);
    clock.advance(3600);
    tick();
    schedule.switchReminders(true); // 11:00:31, due 11:05
    tick();
    EXPECT_FALSE(windows.tipShown);
    schedule.switchReminders(false);
    tick(10);
    schedule.loadStoredReminders("1"); // back on without a reschedule, as a tick sees it
    clock.advance(1800);
    tick();
    EXPECT_FALSE(windows.tipShown);
}

// An interval of 0 set in the last second of a minute: the tip still comes on the
// next tick, though that tick falls in the following minute.
TEST_F(Schedule, IntervalZeroSetAtTheEndOfAMinute) {
    clock.set(10, 0, 59);
    start("0", "1");
    tick();
    EXPECT_TRUE(windows.tipShown);
}

// --- A week of reminders -----------------------------------------------------------

// A week on the simulated clock: the user answers tips in turn with rest now, not now
// and rest now then closing the screen, reminders go off and on, and the machine
// sleeps now and then. After every tick: the counters stay in range, a tip comes in
// the first tick at or past the next rest time and never before, and never two at once.
TEST_F(Schedule, AWeekOfRemindersKeepsItsPromises) {
    unsigned seed = 12345;
    const auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    start("47", "6");
    long long dueAt = 0; // the first whole minute at or past the next rest time
    int writes = -1;
    const auto follow = [&] {
        if (panel.text1Writes == writes)
            return;
        writes = panel.text1Writes;
        const long long now = clock.localMinutes();
        dueAt = now + (*parseTimeOfDay(panel.t1) - now % 1440 + 1440) % 1440;
    };
    follow();
    int answers = 0, tips = 0, sleeps = 0;
    const long long end = clock.localMinutes() + 7 * 1440;
    while (clock.localMinutes() < end) {
        if (next(20000) == 0) { // asleep for up to three hours
            clock.advance(60 + next(3 * 3600));
            ++sleeps;
        }
        const bool waiting = schedule.pdtipshow() == 0 && schedule.remindersOn();
        const int shown = windows.tipsShown;
        tick();
        const bool tipped = windows.tipsShown != shown;
        ASSERT_LE(windows.tipsShown - shown, 1);
        ASSERT_EQ(tipped, waiting && clock.localMinutes() >= dueAt) << clock.localMinutes();
        follow(); // the end of a rest reschedules
        if (tipped)
            ++tips;
        if (windows.tipShown && next(30) == 0) {
            switch (answers++ % 3) {
            case 0:
                schedule.acceptTip();
                break;
            case 1:
                schedule.declineTip();
                break;
            default:
                schedule.acceptTip();
                tick(next(200));
                schedule.closeRestScreen();
            }
            follow();
        }
        if (next(50000) == 0) {
            schedule.switchReminders(!schedule.remindersOn());
            follow();
        }
    }
    EXPECT_GT(tips, 50);
    EXPECT_GT(sleeps, 5);
}

} // namespace
} // namespace ocuvell
