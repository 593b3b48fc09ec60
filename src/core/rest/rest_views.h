#pragma once
// What the rest schedule asks of the windows that show it, one small interface per
// window role. The schedule gives values; each window words and draws them as its
// controls show them. Every request may come while the window is hidden or not built yet.
#include <string>

namespace ocuvell {

// The rest part of the main window: the main page's summary and the rest settings page.
class SchedulePanelView {
  public:
    virtual ~SchedulePanelView() = default;
    // The next rest time on the user's clock, in minutes since midnight, on the main page.
    virtual void showNextRest(int minuteOfDay) = 0;
    // The interval and the rest length in use, on the main page.
    virtual void showRestValues(const std::string& interval, const std::string& restLength) = 0;
    // What the settings page's boxes hold: the stored values at start-up, the values in
    // use again after an entry was refused.
    virtual void showIntervalEntry(const std::string& text) = 0;
    virtual void showRestLengthEntry(const std::string& text) = 0;
    // Closes whichever settings page is open.
    virtual void closeSettings() = 0;
    // Reminders on or off, as the rest heading and its edit icon show it.
    virtual void showReminders(bool on) = 0;
};

// The small notice that offers a rest now or not now.
class TipView {
  public:
    virtual ~TipView() = default;
    // Offers a rest of this length, in minutes as the user typed it ("05" stays "05").
    virtual void showTip(const std::string& restLength) = 0;
    // The notice follows a rest under way: nothing done of total, then done so far.
    virtual void startProgress(int total) = 0;
    virtual void showProgress(int done) = 0;
    // Takes the notice away; nothing happens when it is not there.
    virtual void removeTip() = 0;
};

// The dark layer over the screen that counts a rest down.
class RestScreenView {
  public:
    virtual ~RestScreenView() = default;
    virtual void showRestScreen() = 0;
    // The time left as the countdown's counters (RestSchedule::Countdown); comes every
    // second of a rest, also while the layer is closed.
    virtual void showRemaining(int hours, int minutes, int seconds) = 0;
    virtual void removeRestScreen() = 0;
};

// The schedule's clock: it asks for the next tick it needs and nothing more. While it
// waits for a rest time a tick at each minute's start is enough; while a tip waits for an
// answer, or reminders are off, none is.
class TickView {
  public:
    virtual ~TickView() = default;
    // A tick every second from now on; a clock already ticking every second keeps its beat.
    virtual void tickEverySecond() = 0;
    // One tick after this many milliseconds, in place of any other.
    virtual void tickOnceIn(int milliseconds) = 0;
    virtual void stopTicking() = 0;
};

// The views of one schedule. Whoever builds a window attaches it and detaches it before
// it goes; a role without a view shows nothing and the schedule runs on regardless.
struct RestViews {
    SchedulePanelView* panel = nullptr;
    TipView* tip = nullptr;
    RestScreenView* restScreen = nullptr;
    TickView* ticks = nullptr;
};

} // namespace ocuvell
