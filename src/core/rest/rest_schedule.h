#pragma once
// The rest schedule of the main window: the next rest time, the tip, the countdown.
// It owns Form1's rest fields; the texts live in Form1's controls, reached through
// RestPanel, and the popup and rest screen through RestWindows.
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
    virtual void restImgcloseClick() = 0;                  // Form3.imgclose_Click
};

class RestSchedule {
  public:
    RestSchedule(RestPanel& panel, Clock& clock);
    void setWindows(RestWindows* windows) { windows_ = windows; }

    // Form1's operations of the same names.
    void dsxxadd();
    void Timer1_Timer();
    void form2tip_Click();
    void okdsxxadd_Click() { dsxxadd(); }
    void SafeSwitch2_Click(bool value);
    void setok_Click(int index);
    void setno_Click(int index);
    void Command1_Click();
    void Command2_Click();

    // Load step: the stored interval and rest length into Text2/Text3. Anything absent,
    // not a whole number or out of bounds gives the defaults below.
    void loadStored(const std::string& mei, const std::string& xiuxi);

    // The interval (any int: the arithmetic wraps it modulo a day) and the rest length
    // (1..555) in use: the box's number when it holds a usable one, else the last usable
    // value.
    int intervalMinutes() const;
    int restLengthMinutes() const;
    // What the close writes as dsxx/mei and dsxx/xiuxi: always a usable number, even when
    // the box was left holding something else through Back.
    std::string meiToSave() const { return std::to_string(intervalMinutes()); }
    std::string xiuxiToSave() const { return std::to_string(restLengthMinutes()); }

    // Form1's fields, public as the popup and the rest screen write Pdtipshow.
    std::string Pdxxrun;
    std::int16_t Pdtipshow = 0;
    std::int16_t Pdcountdown = 0;
    std::int16_t xxhour = 0, xxmin = 0, xxsec = 0, xxticks = 0;

    // Values used when a box holds no usable number (a first start reads key names).
    static constexpr int kDefaultInterval = 45;
    static constexpr int kDefaultRestLength = 5;
    static constexpr int kMaxRestLength = 555; // keeps xxticks within 16 bits

  private:
    RestPanel& panel_;
    Clock& clock_;
    RestWindows* windows_ = nullptr;
    int lastInterval_ = kDefaultInterval;
    int lastRestLength_ = kDefaultRestLength;
    // The last minute (Clock::localMinutes) whose tip check is done, so that a minute no
    // tick fell in (sleep, a stopped process, the clock set on) is still noticed.
    std::optional<long long> checkedThrough_;
    // The tip on screen was shown while an earlier rest counted down unseen: that rest's
    // end must leave it for the user to answer.
    bool tipOverUnseenRest_ = false;

    void settleEntries();
    void rescheduled();
    bool restTimeReached(const std::optional<int>& next);
    void countdownStep();
    void endOfRest();
};

} // namespace ocuvell
