#pragma once
// The rest schedule: the interval and rest length, whether reminders are on, the next
// rest time, the tip and the countdown of a rest. It holds all of them as values and
// tells its views what to show; the windows push what the user does through the
// operations below and never hold schedule state themselves. Every operation ends in one
// door, goTo(), which writes the stage and plans the next tick.
#include "core/rest/activity.h"
#include "core/rest/clock.h"
#include "core/rest/presence.h"
#include "core/rest/rest_views.h"

#include <functional>
#include <optional>
#include <string>

namespace ocuvell {

class RestSchedule {
  public:
    // Where the schedule stands. While reminders are off it reports Off and keeps the
    // stage it was in underneath: a tip stays up, a countdown stands still.
    enum class Stage {
        Off,
        Waiting,        // for the next rest time
        TipShown,       // the tip waits for an answer
        Resting,        // a rest counts down (on the rest screen unless it was closed early)
        CountingUnseen, // the rest screen was closed early; the countdown goes on
        // A tip came up while a rest closed early still counts down: that rest's end must
        // leave the tip for the user to answer.
        TipOverUnseenRest,
    };

    // A rest's counters. The shown time is hours:minutes:seconds, where minutes are the
    // whole minutes beyond the current one and seconds those left in it (60 down to 1).
    struct Countdown {
        int hours = 0;
        int minutes = 0;
        int seconds = 0;
        int ticks = 0; // seconds of this rest so far
    };

    explicit RestSchedule(Clock& clock);

    // Sets the roles given (the others stay); detach takes away the ones given that are
    // still attached.
    void attach(const RestViews& views);
    void detach(const RestViews& views);
    const RestViews& views() const { return views_; }

    // --- What happened -------------------------------------------------------------
    void tick(); // a second went by
    // The wall clock was set (by hand, a time service's step, a resume): a rest time it
    // went past shows its tip now, not at the next minute's tick, and that tick is planned
    // from the new time. A countdown keeps its beat.
    void clockSet();
    void rescheduleFromNow();      // the next rest: one interval from now
    void startCountdown();         // a rest's counters from the rest length
    void acceptTip();              // the tip's rest-now line
    void declineTip();             // the tip's not-now line
    void closeRestScreen();        // the rest screen's close image; also how a rest ends
    void switchReminders(bool on); // the reminders switch
    // What the user types into the settings page's boxes, as it is typed. Nothing is
    // refused here: a confirmed or rescheduled entry that is no usable number gives way
    // to the value in use.
    void enterInterval(const std::string& text);
    void enterRestLength(const std::string& text);
    void confirmSettings();      // the settings page's OK
    void dismissSettings();      // its Back: what was typed stays entered
    void postpone();             // the next rest one interval later
    void rescheduleAfterARest(); // now plus the interval plus the rest length
    // The tray's rest-later: the next rest postponeMinutes later (from now when its time
    // has come); a tip up for it goes. Nothing while reminders are off. The second asks
    // for minutes of its own (from the command line), kept within the same bounds.
    void restLater();
    // The same by this many minutes, within the postpone's bounds in the settings table.
    void restLater(int minutes);
    // Told after every operation and tick, once the schedule has planned its next tick
    // (the session bus's change signals); an empty function stops it.
    void watch(std::function<void()> changed) { watch_ = std::move(changed); }

    // --- The desktop ----------------------------------------------------------------
    // The machine goes to sleep or the session is locked, and comes back: the clock is
    // looked at at once, and with away-counts-as-rest on, an absence at least as long as a
    // rest counts as one ending now. A lock counts only while the user's own input stayed
    // away through it (where the idle time can be read): a lock that is not the user's
    // absence (another session's, a locker that let input through) is no rest.
    using Away = Presence::Away;
    void sessionAway(Away how = Away::Asleep);
    void sessionBack();
    // The full-screen source saw the focus or a window's state change.
    void fullscreenChanged();
    // The sources the options below read; nullptr takes one away.
    void setIdleSource(IdleSource* source) { presence_.setIdleSource(source); }
    void setFullscreenSource(FullscreenSource* source) { presence_.setFullscreenSource(source); }

    // --- The options of the [more] section -------------------------------------------
    void setDeferFullscreen(bool on);
    void setAwayCountsAsRest(bool on);
    void setPostponeMinutes(int minutes);
    bool deferFullscreen() const { return presence_.deferFullscreen(); }
    bool awayCountsAsRest() const { return presence_.awayCountsAsRest(); }
    int postponeMinutes() const { return postponeMinutes_; }
    // A due tip waits for a full-screen window to go.
    bool tipHeldBack() const { return tipHeldBack_; }

    // --- Load and save -------------------------------------------------------------
    // The stored interval and rest length, as stored. Anything absent, not a whole number
    // or out of bounds gives the settings table's default.
    void loadStored(const std::string& interval, const std::string& restLength);
    // The stored reminders flag, before the switch shows it.
    void loadStoredReminders(bool on);

    // The interval and the rest length in use, within their bounds in the settings table
    // (the arithmetic wraps an interval modulo a day): the entry's number when it is usable, else
    // the last usable value.
    int intervalMinutes() const;
    int restLengthMinutes() const;
    // What the settings page's boxes hold, as typed.
    const std::string& intervalEntry() const { return intervalEntry_.text; }
    const std::string& restLengthEntry() const { return restLengthEntry_.text; }
    // What the close stores: always a usable number, even when an entry was left holding
    // something else through Back.
    std::string intervalToSave() const { return std::to_string(intervalMinutes()); }
    std::string restLengthToSave() const { return std::to_string(restLengthMinutes()); }

    // --- Reads ---------------------------------------------------------------------
    Stage stage() const { return remindersOn_ ? stage_ : Stage::Off; }
    bool remindersOn() const { return remindersOn_; }
    // A tip is up and not answered, or a rest is under way: no new tip comes.
    bool tipsHeld() const;
    // A rest counts down, seen or not.
    bool counting() const;
    const Countdown& countdown() const { return countdown_; }
    // The next rest time on the user's clock, minutes since midnight; nothing before the
    // first is set. nextRestTime() is the same as "hh:mm", empty before the first.
    std::optional<int> nextRestMinuteOfDay() const;
    std::string nextRestTime() const;

    // How long after a minute starts the waiting schedule looks at the clock: late enough
    // that a timer a little early still lands in the new minute.
    static constexpr int kMinuteMarginMs = 100;

  private:
    // What a box holds and its number when that is usable.
    struct Entry {
        std::string text;
        std::optional<int> value;
    };

    Clock& clock_;
    RestViews views_;
    // Never Off: whether reminders are on is remindersOn_'s, and switching them leaves the
    // stage as it is.
    Stage stage_ = Stage::Waiting;
    bool remindersOn_ = false;
    Countdown countdown_;
    int interval_;   // the last usable interval
    int restLength_; // the last usable rest length
    Entry intervalEntry_, restLengthEntry_;
    std::optional<int> nextRest_; // minute of the day, on the clock's count
    // The last minute (Clock::localMinutes) whose tip check is done, so that a minute no
    // tick fell in (sleep, a stopped process, the clock set on) is still noticed.
    std::optional<long long> checkedThrough_;

    std::function<void()> watch_;
    Presence presence_;
    int postponeMinutes_;
    bool tipHeldBack_ = false;

    // What moves the stage; after() is the whole table of moves.
    enum class Event {
        TipShown,
        CountdownStarted, // a rest's counters start, from a tip or without one
        TipAccepted,      // the rest screen comes up for the countdown just started
        Answered,         // the tip or the rest screen was dismissed; a countdown goes on
        RestOver,         // the countdown ran out
    };
    static Stage after(Stage from, Event event);
    static bool tipsHeld(Stage s);
    static bool counting(Stage s);
    static bool tipUp(Stage s);

    // The door every operation leaves by, once: writes the stage and plans the next tick.
    void goTo(Stage next);
    void planTicks();
    // The steps of the operations, each given the stage the operation has reached and
    // returning the one it leads to.
    Stage reschedule(Stage s);
    Stage startRest(Stage s);
    Stage restScreenClosed(Stage s);
    Stage tipDue(Stage s);
    Stage showTip(Stage s);
    Stage lookAtUser(Stage s);
    Stage restTakenAway(Stage s, long long returnedAt);
    Stage nextRestMoved(Stage s);
    Stage recheckClock(Stage s);
    Stage countdownStep(Stage s);
    Stage endOfRest(Stage s);
    void settleEntries();
    void setNextRest(int minuteOfDay);
    void showNextRest();
    int roundedNow() const;
    bool restTimeReached();
};

} // namespace ocuvell
