#pragma once
// The rest schedule of the main window: the next rest time, the tip, the countdown.
// It owns Form1's rest fields as its stage and counters; the texts live in Form1's
// controls, reached through RestPanel, and the popup and rest screen through RestWindows.
#include "core/rest/clock.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ocuvell {

// Form1's controls that hold or show schedule state.
class RestPanel {
  public:
    virtual ~RestPanel() = default;
    virtual std::string text1() const = 0; // next rest time "hh:mm"
    virtual void setText1(const std::string& s) = 0;
    virtual std::string text2() const = 0; // interval in minutes, as typed
    virtual void setText2(const std::string& s) = 0;
    virtual std::string text3() const = 0; // rest length in minutes, as typed
    virtual void setText3(const std::string& s) = 0;
    virtual void setLabel5(const std::string& s) = 0;
    virtual void setDhhour(int index, const std::string& s) = 0;
    virtual void hidePpset() = 0;
    virtual void setRestHeadingGreen(bool green) = 0; // Label2(1)
    virtual void setEdit1Visible(bool visible) = 0;
};

// The tip popup (Form2) and the rest screen (Form3). A write to a control of an
// unloaded window loads it without showing it.
class RestWindows {
  public:
    virtual ~RestWindows() = default;
    virtual void showTip() = 0;                           // Form2.Show (loads and places first)
    virtual void setTipCaption(const std::string& s) = 0; // Form2.Label1
    virtual void setTipproValue(int value) = 0;           // Form2.tippro.Value
    virtual void setTipproMax(int max) = 0;               // Form2.tippro.Max
    virtual bool tipLoaded() const = 0;
    virtual void unloadTip() = 0;
    virtual void restSnapshot() = 0;                       // Form3 band into Picture2
    virtual void setRestCaption(const std::string& s) = 0; // Form3.Label1
    virtual void showRest() = 0;   // Form3.Show: loads it first, never afresh if loaded
    virtual void unloadRest() = 0; // Form3 unloaded
};

// Form1's rest fields and what happens to them. The forms call one operation per event
// and the schedule moves its stage; the windows only show what it asks them to.
class RestSchedule {
  public:
    // Where the schedule stands. While reminders are off it reports Off and keeps the
    // stage it was in underneath: a tip stays up, a countdown stands still.
    enum class Stage {
        Off,
        Waiting,        // for the next rest time
        TipShown,       // the popup waits for an answer
        Resting,        // a rest counts down (on the rest screen unless it was closed early)
        CountingUnseen, // the rest screen was closed early; the countdown goes on
        // A tip came up while a rest closed early still counts down: that rest's end must
        // leave the tip for the user to answer.
        TipOverUnseenRest,
    };

    RestSchedule(RestPanel& panel, Clock& clock);
    void setWindows(RestWindows* windows) { windows_ = windows; }
    RestWindows* windows() const { return windows_; }

    // --- What happened -------------------------------------------------------------
    void tick();                   // a second went by (Form1's Timer1)
    void rescheduleFromNow();      // the next rest: this minute plus the interval (dsxxadd)
    void startCountdown();         // a rest's counters from the rest length (form2tip_Click)
    void acceptTip();              // the popup's rest-now line
    void declineTip();             // the popup's not-now line
    void closeRestScreen();        // the rest screen's close image; also how a rest ends
    void switchReminders(bool on); // SafeSwitch2
    void confirmSettings();        // the rest page's OK image (setok)
    void dismissSettings();        // its Back image (setno): typed values stay in the boxes
    void postpone();               // the next rest one interval later (Command1)
    void rescheduleAfterARest();   // now plus the interval plus the rest length (Command2)

    // --- Load and save -------------------------------------------------------------
    // The stored interval and rest length into Text2/Text3. Anything absent, not a whole
    // number or out of bounds gives the defaults below.
    void loadStored(const std::string& mei, const std::string& xiuxi);
    // The stored reminders flag as read; the switch then makes it exactly "1" or "0".
    void loadStoredReminders(const std::string& pdrun) { Pdxxrun_ = pdrun; }

    // The interval (any int: the arithmetic wraps it modulo a day) and the rest length
    // (1..555) in use: the box's number when it holds a usable one, else the last usable
    // value.
    int intervalMinutes() const;
    int restLengthMinutes() const;
    // What the close writes as dsxx/mei and dsxx/xiuxi: always a usable number, even when
    // the box was left holding something else through Back.
    std::string meiToSave() const { return std::to_string(intervalMinutes()); }
    std::string xiuxiToSave() const { return std::to_string(restLengthMinutes()); }
    const std::string& pdrunToSave() const { return Pdxxrun_; }

    // --- Reads ---------------------------------------------------------------------
    Stage stage() const { return remindersOn() ? stage_ : Stage::Off; }
    bool remindersOn() const { return Pdxxrun_ == "1"; }
    const std::string& pdxxrun() const { return Pdxxrun_; }
    // A tip has been shown and not answered, or a rest is under way.
    std::int16_t pdtipshow() const;
    // A rest countdown is running.
    std::int16_t pdcountdown() const;
    std::int16_t xxhour() const { return xxhour_; }
    std::int16_t xxmin() const { return xxmin_; }
    std::int16_t xxsec() const { return xxsec_; }
    std::int16_t xxticks() const { return xxticks_; }

    // Values used when a box holds no usable number (a first start reads key names).
    static constexpr int kDefaultInterval = 45;
    static constexpr int kDefaultRestLength = 5;
    static constexpr int kMaxRestLength = 555; // keeps xxticks within 16 bits

  private:
    RestPanel& panel_;
    Clock& clock_;
    RestWindows* windows_ = nullptr;
    // Never Off: whether reminders are on is Pdxxrun_'s, and switching them leaves the
    // stage as it is.
    Stage stage_ = Stage::Waiting;
    std::string Pdxxrun_;
    std::int16_t xxhour_ = 0, xxmin_ = 0, xxsec_ = 0, xxticks_ = 0;
    int lastInterval_ = kDefaultInterval;
    int lastRestLength_ = kDefaultRestLength;
    // The last minute (Clock::localMinutes) whose tip check is done, so that a minute no
    // tick fell in (sleep, a stopped process, the clock set on) is still noticed.
    std::optional<long long> checkedThrough_;

    void settleEntries();
    void rescheduled();
    bool restTimeReached(const std::optional<int>& next);
    void showTip();
    void countdownStep();
    void endOfRest();
    void tipAnswered();
};

} // namespace ocuvell
