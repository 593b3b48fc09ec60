#pragma once
// The rest schedule: the interval and rest length, whether reminders are on, the next
// rest time, the tip and the countdown of a rest. It holds all of them as values and
// tells its views what to show; the windows push what the user does through the
// operations below and never hold schedule state themselves.
#include "core/rest/activity.h"
#include "core/rest/clock.h"
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
    // The same by this many minutes (1 to kMaxPostpone).
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
    enum class Away { Asleep, Locked };
    void sessionAway(Away how = Away::Asleep);
    void sessionBack();
    // The full-screen source saw the focus or a window's state change.
    void fullscreenChanged();
    // The sources the options below read; nullptr takes one away.
    void setIdleSource(IdleSource* source) { idle_ = source; }
    void setFullscreenSource(FullscreenSource* source);

    // --- The options of the [more] section -------------------------------------------
    void setDeferFullscreen(bool on);
    void setAwayCountsAsRest(bool on);
    void setPostponeMinutes(int minutes);
    bool deferFullscreen() const { return deferFullscreen_; }
    bool awayCountsAsRest() const { return awayCountsAsRest_; }
    int postponeMinutes() const { return postponeMinutes_; }
    // A due tip waits for a full-screen window to go.
    bool tipHeldBack() const { return tipHeldBack_; }

    // --- Load and save -------------------------------------------------------------
    // The stored interval and rest length, as stored. Anything absent, not a whole number
    // or out of bounds gives the defaults below.
    void loadStored(const std::string& interval, const std::string& restLength);
    // The stored reminders flag, before the switch shows it.
    void loadStoredReminders(bool on);

    // The interval (1 minute or more; the arithmetic wraps it modulo a day) and the rest
    // length (1..555) in use: the entry's number when it is usable, else the last usable
    // value.
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
    // The next rest time, "hh:mm" on the user's clock; empty before the first is set.
    std::string nextRestTime() const;

    // Values used when an entry holds no usable number (a first start reads key names).
    static constexpr int kDefaultInterval = 45;
    static constexpr int kDefaultRestLength = 5;
    static constexpr int kMinInterval = 1;
    static constexpr int kMaxRestLength = 555; // a rest's ticks stay within 16 bits
    static constexpr int kDefaultPostpone = 10;
    static constexpr int kMinPostpone = 1;
    static constexpr int kMaxPostpone = 120;
    // How long after a minute starts the waiting schedule looks at the clock: late enough
    // that a timer a little early still lands in the new minute.
    static constexpr int kMinuteMarginMs = 100;
    // Input this close before an unlock is the unlocking itself, not the user at work.
    static constexpr int kUnlockGraceSeconds = 60;

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
    int interval_ = kDefaultInterval;     // the last usable interval
    int restLength_ = kDefaultRestLength; // the last usable rest length
    Entry intervalEntry_, restLengthEntry_;
    std::optional<int> nextRest_; // minute of the day, on the clock's count
    // The last minute (Clock::localMinutes) whose tip check is done, so that a minute no
    // tick fell in (sleep, a stopped process, the clock set on) is still noticed.
    std::optional<long long> checkedThrough_;

    std::function<void()> watch_;
    IdleSource* idle_ = nullptr;
    FullscreenSource* fullscreen_ = nullptr;
    bool deferFullscreen_ = false;
    bool awayCountsAsRest_ = false;
    int postponeMinutes_ = kDefaultPostpone;
    bool tipHeldBack_ = false;
    // The last input before an absence seen to be as long as a rest (Clock::seconds), and
    // the idle time last read while a tip waits.
    std::optional<long long> awayFrom_;
    long long lastIdleMs_ = 0;
    std::optional<long long> sessionAwayAt_; // when the sleep or the lock began
    bool sessionLocked_ = false;
    // The first input seen while the session was locked (Clock::seconds).
    std::optional<long long> inputWhileLocked_;

    void planTicks();
    void settleEntries();
    void setNextRest(int minuteOfDay);
    int roundedNow() const;
    bool restTimeReached();
    void showTip();
    void tipDue();
    void checkAway();
    bool lockedAndWatched() const;
    void restTakenAway(long long returnedAt);
    bool tipUp() const;
    void nextRestMoved();
    void recheckClock();
    void countdownStep();
    void endOfRest();
    void tipAnswered();
};

} // namespace ocuvell
