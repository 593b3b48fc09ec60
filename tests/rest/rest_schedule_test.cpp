#include "core/rest/rest_schedule.h"
#include "core/rest/time_of_day.h"
#include "support/env_var.h"
#include "support/rest_fakes.h"
#include "support/sim_clock.h"

#include <gtest/gtest.h>

#include <ctime>
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
    RestSchedule schedule{clock};
    RecordingWindows windows;
    std::vector<std::string> captions; // every caption change of the rest screen

    void SetUp() override {
        schedule.attach({&panel, &windows, &windows});
        clock.set(9, 0, 30);
    }
    // Load step with reminders on, as the main window runs it.
    void start(const std::string& interval, const std::string& restLength) {
        schedule.loadStored(interval, restLength);
        schedule.switchReminders(true);
        schedule.rescheduleFromNow();
    }
    // What the user types into the settings page, then OK.
    void confirm(const std::string& interval, const std::string& restLength) {
        schedule.enterInterval(interval);
        schedule.enterRestLength(restLength);
        schedule.confirmSettings();
    }
    std::string next() const { return schedule.nextRestTime(); }
    // Advances the clock one second per tick and checks the invariants after each.
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            clock.advance();
            const std::string before = windows.restCaption;
            schedule.tick();
            if (windows.restCaption != before && windows.restCaption != "开始")
                captions.push_back(windows.restCaption);
            ASSERT_EQ(schedule.stage() == Stage::Off, !schedule.remindersOn());
            const RestSchedule::Countdown& c = schedule.countdown();
            ASSERT_GE(c.hours, 0);
            ASSERT_LE(c.hours, 9);
            ASSERT_GE(c.minutes, 0);
            ASSERT_LE(c.minutes, 59);
            ASSERT_GE(c.seconds, 0);
            ASSERT_LE(c.seconds, 60);
            ASSERT_GE(c.ticks, 0);
            ASSERT_LE(c.ticks, 32760);
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
        while (schedule.counting() && n < 40000) {
            tick();
            ++n;
        }
        return n;
    }
};

TEST_F(Schedule, FirstStartWithoutStoredValuesUsesDefaults) {
    start("mei", "xiuxi"); // a missing key reads as its own name
    EXPECT_EQ(panel.intervalEntry, "45");
    EXPECT_EQ(panel.restLengthEntry, "5");
    EXPECT_EQ(panel.interval, "45");
    EXPECT_EQ(panel.restLength, "5");
    EXPECT_EQ(next(), "09:46"); // from 09:00:30, rounded up to 09:01
    EXPECT_EQ(panel.nextRest, "09:46");
    EXPECT_TRUE(schedule.remindersOn());
    EXPECT_TRUE(panel.remindersShownOn);
    EXPECT_EQ(schedule.intervalToSave(), "45");
    EXPECT_EQ(schedule.restLengthToSave(), "5");
}

TEST_F(Schedule, StoredValuesOutsideTheirBoundsFallBack) {
    const std::vector<std::vector<std::string>> cases = {
        {"30", "10", "30", "10"}, {"1", "555", "1", "555"},          {"0", "1", "45", "1"},
        {"-20", "0", "45", "5"},  {"99999999999", "556", "45", "5"}, {"2.5", "-3", "45", "5"},
        {"", "x", "45", "5"}};
    for (const auto& c : cases) {
        schedule.loadStored(c[0], c[1]);
        EXPECT_EQ(panel.intervalEntry, c[2]) << c[0];
        EXPECT_EQ(panel.restLengthEntry, c[3]) << c[1];
        EXPECT_EQ(schedule.intervalToSave(), c[2]) << c[0];
    }
}

// The next rest is the first whole minute at least one interval from now: never sooner
// than the interval, and still at the start of a minute.
TEST_F(Schedule, NextRestIsAWholeIntervalFromNowAndWrapsAtMidnight) {
    clock.set(9, 0, 59);
    start("1", "5");
    EXPECT_EQ(next(), "09:02");
    clock.set(23, 50, 0);
    schedule.confirmSettings();
    EXPECT_EQ(next(), "23:51"); // on the minute: exactly one interval
    confirm("15", "5");
    EXPECT_EQ(next(), "00:05");
    clock.set(23, 50, 1);
    confirm("1440", "5");
    EXPECT_EQ(next(), "23:51");
    EXPECT_EQ(panel.nextRest, "23:51");
}

TEST_F(Schedule, OkWithUnusableEntriesKeepsTheLastValidValues) {
    start("20", "3");
    panel.settingsOpen = true;
    for (const char* bad :
         {"0", "-5", "-2147483648", "2147483648", "99999999999", "2.5", "abc", ""}) {
        schedule.enterInterval(bad);
        schedule.confirmSettings();
        EXPECT_EQ(panel.intervalEntry, "20") << bad;
        EXPECT_EQ(next(), "09:21") << bad;
    }
    for (const char* bad : {"0", "-5", "556", "4294967297", "3.5", "x"}) {
        schedule.enterRestLength(bad);
        schedule.confirmSettings();
        EXPECT_EQ(panel.restLengthEntry, "3") << bad;
        EXPECT_EQ(panel.restLength, "3") << bad;
    }
    EXPECT_FALSE(panel.settingsOpen);
    confirm("20", "4");
    schedule.enterRestLength("9999");
    EXPECT_EQ(schedule.restLengthMinutes(), 4);
    EXPECT_EQ(schedule.restLengthToSave(), "4");
}

TEST_F(Schedule, BackLeavesTypedValuesForTheNextReschedule) {
    start("20", "3");
    panel.settingsOpen = true;
    schedule.enterInterval("7");
    schedule.dismissSettings();
    EXPECT_FALSE(panel.settingsOpen);
    EXPECT_EQ(next(), "09:21");
    EXPECT_EQ(schedule.intervalToSave(), "7");
    schedule.rescheduleFromNow();
    EXPECT_EQ(next(), "09:08");
    EXPECT_EQ(panel.interval, "7");
}

// A rest typed as 0 and left in the box through Back must not start a countdown that
// never ends: the last valid length is used.
TEST_F(Schedule, UnconfirmedUnusableRestLengthStillEnds) {
    start("1", "2");
    schedule.enterRestLength("0");
    schedule.dismissSettings();
    waitForTipAndRest();
    EXPECT_EQ(windows.progressTotal, 120);
    EXPECT_EQ(ticksUntilRestEnds(), 120);
}

TEST_F(Schedule, ThreeMinuteRestEndToEndWithEveryCaption) {
    start("10", "3");   // 09:11
    tick(10 * 60 + 29); // 09:10:59: not yet
    EXPECT_FALSE(windows.tipShown);
    tick(); // 09:11:00
    ASSERT_TRUE(windows.tipShown);
    EXPECT_EQ(windows.tipLength, "3");
    EXPECT_TRUE(schedule.tipsHeld());
    tick(59); // the rest of the due minute shows nothing new
    EXPECT_EQ(windows.tipsShown, 1);

    schedule.acceptTip();
    EXPECT_EQ(windows.progressTotal, 180);
    EXPECT_EQ(windows.progress, 0);
    EXPECT_EQ(windows.restCaption, "开始");
    EXPECT_EQ(ticksUntilRestEnds(), 180);

    std::vector<std::string> expected;
    for (int m = 2; m >= 0; --m)
        for (int s = (m == 2 ? 59 : 60); s >= 1; --s)
            expected.push_back("0:" + std::to_string(m) + ":" + std::to_string(s));
    EXPECT_EQ(captions, expected);
    EXPECT_EQ(windows.progress, 180);
    EXPECT_FALSE(windows.tipLoaded);
    EXPECT_FALSE(windows.restLoaded);
    EXPECT_EQ(windows.restRemovals, 1);
    EXPECT_FALSE(schedule.tipsHeld());
    EXPECT_FALSE(schedule.counting());
    EXPECT_EQ(next(), "09:25"); // accepted at 09:11:59, ended at 09:14:59, plus 10
    EXPECT_EQ(panel.nextRest, "09:25");
}

TEST_F(Schedule, RestLengthsInTicks) {
    const std::vector<std::pair<int, int>> lengths = {
        {1, 60},    {3, 180},    {60, 3600},  {61, 3601},   {62, 3660},
        {90, 5340}, {120, 7140}, {121, 7141}, {180, 10680}, {555, 32760}};
    start("1440", "1");
    for (const auto& [minutes, ticks] : lengths) {
        schedule.enterRestLength(std::to_string(minutes));
        schedule.startCountdown();
        EXPECT_EQ(windows.progressTotal, minutes * 60);
        captions.clear();
        EXPECT_EQ(ticksUntilRestEnds(), ticks) << minutes;
        EXPECT_EQ(schedule.countdown().ticks, ticks) << minutes;
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
    tick(90); // 09:02:00
    ASSERT_TRUE(windows.tipShown);
    tick(3 * 86400);
    EXPECT_EQ(windows.tipsShown, 1);
    EXPECT_EQ(next(), "09:02");
}

// Not now waits a whole interval however late in its minute it is answered.
TEST_F(Schedule, NotNowWaitsAtLeastTheInterval) {
    start("1", "1");
    tick(90); // 09:02:00
    ASSERT_TRUE(windows.tipShown);
    schedule.declineTip();
    EXPECT_FALSE(schedule.tipsHeld());
    EXPECT_FALSE(windows.tipLoaded);
    tick(59);
    EXPECT_FALSE(windows.tipShown);
    tick(); // 09:03:00
    ASSERT_TRUE(windows.tipShown);
    tick(30);
    schedule.declineTip(); // 09:03:30
    EXPECT_EQ(next(), "09:05");
    tick(89);
    EXPECT_FALSE(windows.tipShown);
    tick();
    EXPECT_EQ(windows.tipsShown, 3);
}

TEST_F(Schedule, MinuteMissedWhileOffComesBackADayLater) {
    start("1", "1"); // due 09:02
    schedule.switchReminders(false);
    tick(150);                          // 09:03:00
    schedule.loadStoredReminders(true); // back on without rescheduling
    tick(86400 - 120);                  // 09:01:00 the next day
    EXPECT_FALSE(windows.tipShown);
    tick(60);
    EXPECT_TRUE(windows.tipShown);
}

TEST_F(Schedule, ReminderOffDuringARestFreezesTheCountdown) {
    start("1", "3");
    waitForTipAndRest(); // 09:02:00
    tick(10);
    EXPECT_EQ(captions.back(), "0:2:50");
    schedule.switchReminders(false);
    EXPECT_FALSE(panel.remindersShownOn);
    tick(600);
    EXPECT_EQ(captions.back(), "0:2:50");
    EXPECT_TRUE(schedule.tipsHeld());
    clock.set(14, 0, 10);
    schedule.switchReminders(true);
    EXPECT_EQ(next(), "14:02");
    EXPECT_EQ(ticksUntilRestEnds(), 170);
    EXPECT_EQ(next(), "14:04"); // ended 14:03:00
}

TEST_F(Schedule, ClosingEarlyCountsOnUnseenAndTheLaterScheduleWins) {
    start("10", "3");
    waitForTipAndRest(); // 09:11:00
    tick(30);
    schedule.closeRestScreen(); // the close image
    EXPECT_FALSE(schedule.tipsHeld());
    EXPECT_TRUE(schedule.counting());
    EXPECT_EQ(next(), "09:22");
    EXPECT_EQ(ticksUntilRestEnds(), 150);
    EXPECT_EQ(next(), "09:24");
    EXPECT_EQ(windows.restRemovals, 2);
    EXPECT_FALSE(schedule.tipsHeld());
}

// The end of a rest whose screen was closed early must not answer a tip shown since:
// the popup stays, no second tip comes over it, and the next rest waits for the answer.
TEST_F(Schedule, UnseenCountdownEndingUnderANewTipLeavesItForTheUser) {
    start("1", "3");
    waitForTipAndRest();        // 09:02:00
    schedule.closeRestScreen(); // next rest 09:03, countdown unseen until 09:05:00
    tick(60);
    ASSERT_TRUE(windows.tipShown);
    EXPECT_TRUE(schedule.counting());
    tick(119);
    EXPECT_TRUE(schedule.counting());
    EXPECT_TRUE(windows.tipShown);
    tick(); // 09:05:00, tick 180 of the rest
    EXPECT_FALSE(schedule.counting());
    EXPECT_TRUE(windows.tipShown);
    EXPECT_EQ(windows.tipLength, "3");
    EXPECT_TRUE(schedule.tipsHeld());
    EXPECT_FALSE(windows.restLoaded);
    EXPECT_EQ(next(), "09:06"); // the next rest is still set at zero
    tick(3600);
    EXPECT_EQ(windows.tipsShown, 2);
    EXPECT_TRUE(windows.tipShown);
    schedule.declineTip(); // 10:05:00
    EXPECT_EQ(next(), "10:06");
    tick(60);
    EXPECT_EQ(windows.tipsShown, 3);
}

// The unseen countdown of a rest closed at once ends in the very second the next tip
// comes up: the tip stays for the user.
TEST_F(Schedule, ShortRestClosedEarlyDoesNotSwallowTheNextTip) {
    start("1", "1");
    waitForTipAndRest();        // 09:02:00
    schedule.closeRestScreen(); // next rest 09:03
    tick(60);                   // 09:03:00: new tip, and the old rest's last tick
    EXPECT_FALSE(schedule.counting());
    ASSERT_TRUE(windows.tipShown);
    EXPECT_TRUE(schedule.tipsHeld());
    tick(120);
    EXPECT_TRUE(windows.tipShown);
    EXPECT_EQ(windows.tipsShown, 2);
    schedule.acceptTip(); // its own rest runs and ends as any other
    EXPECT_EQ(ticksUntilRestEnds(), 60);
    EXPECT_FALSE(windows.tipLoaded);
    EXPECT_FALSE(schedule.tipsHeld());
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
    EXPECT_EQ(next(), "09:41");
    EXPECT_EQ(panel.nextRest, "09:21");
    clock.set(23, 50);
    schedule.rescheduleAfterARest();
    EXPECT_EQ(next(), "00:15");
    EXPECT_EQ(panel.nextRest, "09:21");
}

TEST_F(Schedule, OffTicksDoNothing) {
    start("1", "1");
    schedule.switchReminders(false);
    tick(3600);
    EXPECT_FALSE(windows.tipShown);
    EXPECT_EQ(schedule.stage(), Stage::Off);
}

// --- When the schedule needs its clock ------------------------------------------------

// Waiting, the schedule looks at the clock once a minute, just after the minute starts;
// a tip waiting for an answer and reminders off need no tick at all; a rest counts every
// second on one beat, seen or not.
TEST_F(Schedule, TheClockTicksOnlyWhenSomethingCanHappen) {
    using Mode = testing::RecordingTicks::Mode;
    testing::RecordingTicks ticks;
    schedule.attach({.ticks = &ticks});
    EXPECT_EQ(ticks.mode, Mode::Stopped);
    start("5", "2"); // 09:00:30, due 09:06
    EXPECT_EQ(ticks.mode, Mode::Once);
    EXPECT_EQ(ticks.onceInMs, 30000 + RestSchedule::kMinuteMarginMs);
    tick(30);
    EXPECT_EQ(ticks.onceInMs, 60000 + RestSchedule::kMinuteMarginMs);
    tick(300); // 09:06:00
    ASSERT_TRUE(windows.tipShown);
    EXPECT_EQ(ticks.mode, Mode::Stopped);
    schedule.acceptTip();
    EXPECT_EQ(ticks.mode, Mode::EverySecond);
    tick(10);
    schedule.closeRestScreen(); // counting unseen: the same beat
    tick(10);
    EXPECT_EQ(ticks.beatsStarted, 1);
    schedule.switchReminders(false);
    EXPECT_EQ(ticks.mode, Mode::Stopped);
    schedule.switchReminders(true); // the frozen rest counts on
    EXPECT_EQ(ticks.mode, Mode::EverySecond);
    ticksUntilRestEnds();
    EXPECT_EQ(ticks.mode, Mode::Once);
    schedule.detach({.ticks = &ticks});
    EXPECT_EQ(schedule.views().ticks, nullptr);
}

// --- Stages and what the windows are asked, in order --------------------------------

// Every stage of the schedule, reached by the operations the forms call, with the popup
// and the rest screen asked for their part after the schedule has done its own.
TEST_F(Schedule, StagesFollowTheAnswersAndTheWindowsComeAfter) {
    start("1", "3");
    EXPECT_EQ(schedule.stage(), Stage::Waiting);
    tick(90); // 09:02:00
    EXPECT_EQ(schedule.stage(), Stage::TipShown);
    EXPECT_EQ(windows.calls, std::vector<std::string>{"showTip"});

    windows.calls.clear();
    schedule.acceptTip();
    EXPECT_EQ(schedule.stage(), Stage::Resting);
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"removeTip", "showRestScreen"}));
    EXPECT_EQ(schedule.countdown().minutes, 2); // counting already when the screen shows
    EXPECT_EQ(schedule.countdown().seconds, 60);

    windows.calls.clear();
    tick(10);
    schedule.closeRestScreen(); // 09:02:10
    EXPECT_EQ(schedule.stage(), Stage::CountingUnseen);
    EXPECT_EQ(windows.calls, std::vector<std::string>{"removeRestScreen"});
    EXPECT_EQ(next(), "09:04");

    tick(110); // 09:04:00: a new tip over the unseen countdown
    EXPECT_EQ(schedule.stage(), Stage::TipOverUnseenRest);
    EXPECT_TRUE(schedule.tipsHeld());
    EXPECT_TRUE(schedule.counting());

    schedule.switchReminders(false); // everything stands still, underneath too
    EXPECT_EQ(schedule.stage(), Stage::Off);
    tick(600);
    EXPECT_EQ(schedule.countdown().ticks, 120);
    schedule.enterInterval("5");
    schedule.switchReminders(true); // 09:14:00, next rest 09:19
    EXPECT_EQ(next(), "09:19");
    EXPECT_EQ(schedule.stage(), Stage::TipOverUnseenRest);

    schedule.declineTip();
    EXPECT_EQ(schedule.stage(), Stage::CountingUnseen);
    tick(60); // the unseen rest ends: the screen is closed once more
    EXPECT_EQ(schedule.stage(), Stage::Waiting);
    EXPECT_EQ(windows.calls.back(), "removeRestScreen");
}

// Each operation and tick ends in one plan of the next tick, which is when watchers (the
// session bus's change signals) hear of it: once, the end of a rest included.
TEST_F(Schedule, EveryOperationIsToldOnce) {
    int told = 0;
    schedule.watch([&told] { ++told; });
    start("1", "1");
    EXPECT_EQ(told, 2); // the switch and the reschedule; the load plans nothing
    tick(90);           // 09:02:00: the tip
    told = 0;
    schedule.acceptTip();
    EXPECT_EQ(told, 1);
    tick(59);
    told = 0;
    tick(); // the rest ends
    EXPECT_EQ(schedule.stage(), Stage::Waiting);
    EXPECT_EQ(told, 1);
    told = 0;
    schedule.declineTip();
    schedule.closeRestScreen();
    schedule.restLater(5);
    EXPECT_EQ(told, 3);
}

// The end of a rest is the rest screen's own close, with windows attached or not: the
// next rest is set from that second, and the stage comes out the same.
TEST_F(Schedule, EndOfRestClosesTheSameWayWithoutWindows) {
    const auto run = [this](bool attached) {
        if (attached)
            schedule.attach({.tip = &windows, .restScreen = &windows});
        else
            schedule.detach({.tip = &windows, .restScreen = &windows});
        clock.set(9, 0, 30);
        start("1", "3");
        tick(90);
        schedule.acceptTip();
        tick(180); // 09:05:00
        EXPECT_EQ(schedule.stage(), Stage::Waiting) << attached;
        EXPECT_EQ(next(), "09:06") << attached;
        EXPECT_EQ(panel.nextRest, "09:06") << attached;
    };
    run(true);
    EXPECT_FALSE(windows.restLoaded);
    EXPECT_FALSE(windows.tipLoaded);
    run(false);
    EXPECT_EQ(schedule.views().tip, nullptr);
    EXPECT_EQ(schedule.views().panel, &panel);
}

// The popup's hidden twin of rest-now (Form1's form2tip) starts a countdown without a
// tip: it runs unseen, and a tip still waiting is then taken as a rest under way.
TEST_F(Schedule, CountdownStartedWithoutTheTip) {
    start("10", "1");
    schedule.startCountdown();
    EXPECT_EQ(schedule.stage(), Stage::CountingUnseen);
    EXPECT_EQ(ticksUntilRestEnds(), 60); // 09:01:30, the next rest 09:12
    EXPECT_EQ(schedule.stage(), Stage::Waiting);
    tick(10 * 60 + 30);
    ASSERT_EQ(schedule.stage(), Stage::TipShown);
    schedule.startCountdown();
    EXPECT_EQ(schedule.stage(), Stage::Resting);
    EXPECT_EQ(ticksUntilRestEnds(), 60);
    EXPECT_EQ(schedule.stage(), Stage::Waiting);
}

// --- The whole interval range ------------------------------------------------------

TEST_F(Schedule, EveryIntervalOfAMinuteOrMoreWrapsModuloADay) {
    start("1445", "5"); // stored beyond a day: kept, five minutes on from 09:01
    EXPECT_EQ(panel.intervalEntry, "1445");
    EXPECT_EQ(next(), "09:06");
    EXPECT_EQ(schedule.intervalToSave(), "1445");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"2880", "09:01"}, {"100000", "19:41"}, {"2147483647", "11:08"}, {" +0001441 ", "09:02"}};
    for (const auto& [interval, nextRest] : cases) {
        confirm(interval, "5");
        EXPECT_EQ(panel.interval, interval); // a usable entry is shown as typed
        EXPECT_EQ(next(), nextRest) << interval;
        schedule.rescheduleAfterARest(); // now + interval + rest length, in one day
        EXPECT_EQ(next(), formatTimeOfDay(addMinutes(*parseTimeOfDay(nextRest), 5))) << interval;
    }
    confirm("2147483648", "5"); // beyond int: refused, the last one stays in use
    EXPECT_EQ(panel.intervalEntry, "1441");
    EXPECT_EQ(schedule.intervalMinutes(), 1441);
}

// An interval that wraps round to the present minute means that minute tomorrow, not now.
TEST_F(Schedule, AnIntervalOfADayTipsTheSameMinuteTomorrow) {
    clock.set(10, 0, 0);
    start("1440", "1");
    EXPECT_EQ(next(), "10:00");
    tick(86399); // 09:59:59 tomorrow
    EXPECT_FALSE(windows.tipShown);
    tick();
    EXPECT_TRUE(windows.tipShown);
    schedule.declineTip(); // 10:00:00
    clock.set(10, 0, 30);
    confirm("1439", "1"); // from 10:01, one minute short of a day
    EXPECT_EQ(next(), "10:00");
    tick(60);
    EXPECT_EQ(windows.tipsShown, 1);
}

TEST_F(Schedule, TipShowsTheRestLengthAsTyped) {
    start("1", "05");
    tick(90);
    ASSERT_TRUE(windows.tipShown);
    EXPECT_EQ(windows.tipLength, "05");
    schedule.declineTip();
    schedule.enterRestLength("600"); // typed, not confirmed, and more than the countdown holds
    tick(60);
    ASSERT_TRUE(windows.tipShown);
    EXPECT_EQ(windows.tipLength, "5");
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
    EXPECT_EQ(windows.tipLength, "1");
    tick(300);
    EXPECT_EQ(windows.tipsShown, 1);
    schedule.declineTip(); // 10:06:03
    EXPECT_EQ(next(), "10:08");
    tick(116);
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
    confirm("10", "1");
    EXPECT_EQ(next(), "00:00");
    clock.advance(13 * 60);
    tick(); // 00:03:01 of the day after
    EXPECT_EQ(windows.tipsShown, 2);
}

// With an interval of nearly a day the rest time lies just behind the present: it comes
// round after most of a day, and a sleep across it then counts like any other.
TEST_F(Schedule, GapWithAnIntervalOfNearlyADay) {
    clock.set(10, 0, 0);
    start("1410", "1"); // due 09:30 tomorrow
    EXPECT_EQ(next(), "09:30");
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

    schedule.declineTip(); // 10:20:01, due 10:26
    clock.set(10, 27, 0);
    clock.set(10, 10, 0); // on past it and back again between two ticks
    tick();
    EXPECT_FALSE(windows.tipShown);
    clock.set(10, 30, 0);
    tick();
    ASSERT_TRUE(windows.tipShown); // 10:10 to 10:30 passed 10:26
    schedule.declineTip();         // 10:30:01, due 10:36
    clock.set(10, 1, 0);           // set back from after it to before it: nothing
    tick();
    EXPECT_FALSE(windows.tipShown);
    tick(35 * 60 - 2);
    EXPECT_FALSE(windows.tipShown);
    tick(); // 10:36:00
    EXPECT_TRUE(windows.tipShown);
}

// Told that the clock was set, the schedule looks at once instead of at its next
// minute tick, plans that tick from the new time, and leaves a countdown's beat alone.
TEST_F(Schedule, ClockSetIsLookedAtAtOnce) {
    using Mode = testing::RecordingTicks::Mode;
    testing::RecordingTicks ticks;
    schedule.attach({.ticks = &ticks});
    clock.set(10, 0, 0);
    start("5", "1"); // due 10:05
    clock.set(10, 3, 20);
    schedule.clockSet();
    EXPECT_FALSE(windows.tipShown);
    EXPECT_EQ(ticks.onceInMs, 40000 + RestSchedule::kMinuteMarginMs);
    clock.set(10, 20, 0);
    schedule.clockSet();
    ASSERT_TRUE(windows.tipShown);
    EXPECT_EQ(ticks.mode, Mode::Stopped);
    schedule.acceptTip();
    tick(3);
    clock.set(11, 0, 0);
    schedule.clockSet();
    EXPECT_EQ(schedule.countdown().ticks, 3);
    EXPECT_EQ(ticks.mode, Mode::EverySecond);
    EXPECT_EQ(ticks.beatsStarted, 1);
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
    schedule.switchReminders(true); // 11:00:31, due 11:06
    tick();
    EXPECT_FALSE(windows.tipShown);
    schedule.switchReminders(false);
    tick(10);
    schedule.loadStoredReminders(true); // back on without a reschedule, as a tick sees it
    clock.advance(1800);
    tick();
    EXPECT_FALSE(windows.tipShown);
}

// --- A week of reminders -----------------------------------------------------------

// A week on the simulated clock: the user answers tips in turn with rest now, not now
// and rest now then closing the screen, reminders go off and on, and the machine
// sleeps now and then. After every tick: the counters stay in range, a tip comes in
// the first tick at or past the next rest time and never before, and never two at once.
TEST_F(Schedule, AWeekOfRemindersKeepsItsPromises) {
    unsigned seed = 12345;
    const auto random = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    start("47", "6");
    long long dueAt = 0; // the first whole minute at or past the next rest time
    std::string followed;
    const auto follow = [&] {
        if (next() == followed)
            return;
        followed = next();
        const long long now = clock.localMinutes();
        dueAt = now + (*parseTimeOfDay(followed) - now % 1440 + 1440) % 1440;
    };
    follow();
    int answers = 0, tips = 0, sleeps = 0;
    const long long end = clock.localMinutes() + 7 * 1440;
    while (clock.localMinutes() < end) {
        if (random(20000) == 0) { // asleep for up to three hours
            clock.advance(60 + random(3 * 3600));
            ++sleeps;
        }
        const bool waiting = !schedule.tipsHeld() && schedule.remindersOn();
        const int shown = windows.tipsShown;
        tick();
        const bool tipped = windows.tipsShown != shown;
        ASSERT_LE(windows.tipsShown - shown, 1);
        ASSERT_EQ(tipped, waiting && clock.localMinutes() >= dueAt) << clock.localMinutes();
        follow(); // the end of a rest reschedules
        if (tipped)
            ++tips;
        if (windows.tipShown && random(30) == 0) {
            switch (answers++ % 3) {
            case 0:
                schedule.acceptTip();
                break;
            case 1:
                schedule.declineTip();
                break;
            default:
                schedule.acceptTip();
                tick(random(200));
                schedule.closeRestScreen();
            }
            follow();
        }
        if (random(50000) == 0) {
            schedule.switchReminders(!schedule.remindersOn());
            follow();
        }
    }
    EXPECT_GT(tips, 50);
    EXPECT_GT(sleeps, 5);
}

// --- Summer time ------------------------------------------------------------------

// The machine's clock, its moment set by hand, in the time zone the test names.
class ZonedClock : public SystemClock {
  public:
    std::time_t moment = 0;
    int millisecondsIntoMinute() const override { return static_cast<int>(moment % 60) * 1000; }

  protected:
    std::time_t now() const override { return moment; }
};

// An interval is elapsed time when the clocks go on or back an hour, and the next rest is
// named as the clock will read then: the spring change once named 02:44, an hour that
// does not exist, and tipped after a minute; the autumn one after 105 minutes.
TEST(SummerTime, AnIntervalIsElapsedTimeAcrossTheChange) {
    testing::EnvVar zone("TZ", "Europe/Berlin");
    ::tzset();
    struct Case {
        std::time_t start;
        const char* next;
    };
    // 01:59:30 CET on 2024-03-31, an hour before the clocks go on to 03:00; 02:30:30 CEST
    // on 2024-10-27, half an hour before they go back to 02:00.
    for (const Case& c : {Case{1711846770, "03:45"}, Case{1729989030, "02:16"}}) {
        ZonedClock clock;
        clock.moment = c.start;
        FakePanel panel;
        RecordingWindows windows;
        RestSchedule schedule(clock);
        schedule.attach({&panel, &windows, &windows});
        schedule.loadStored("45", "5");
        schedule.switchReminders(true);
        EXPECT_EQ(panel.nextRest, c.next);
        int seconds = 0;
        for (; !windows.tipShown && seconds < 3 * 3600; ++seconds) {
            ++clock.moment;
            schedule.tick();
        }
        EXPECT_EQ(seconds, 45 * 60 + 30) << c.next;
    }
}

} // namespace
} // namespace ocuvell
