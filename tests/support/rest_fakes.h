#pragma once
// The schedule's views without windows: the main window's rest panel as fields, and a
// popup and rest screen that only record what the schedule asks of them.
#include "core/rest/rest_schedule.h"
#include "core/rest/time_of_day.h"

#include <string>
#include <vector>

namespace ocuvell::testing {

class FakePanel : public SchedulePanelView {
  public:
    std::string nextRest = "12:30", interval = "240", restLength = "240";
    std::string intervalEntry = "1", restLengthEntry = "1";
    bool settingsOpen = false, remindersShownOn = false;

    void showNextRest(int minuteOfDay) override { nextRest = formatTimeOfDay(minuteOfDay); }
    void showRestValues(const std::string& i, const std::string& r) override {
        interval = i, restLength = r;
    }
    void showIntervalEntry(const std::string& s) override { intervalEntry = s; }
    void showRestLengthEntry(const std::string& s) override { restLengthEntry = s; }
    void closeSettings() override { settingsOpen = false; }
    void showReminders(bool on) override { remindersShownOn = on; }
};

// Keeps what the schedule asked the popup and the rest screen to show: a request loads a
// window without showing it, removing it clears what it showed. The rest length offered
// is kept as given, the time left as "h:m:s". `calls` lists the requests that show or
// remove, in their order.
class RecordingWindows : public TipView, public RestScreenView {
  public:
    bool tipLoaded = false, tipShown = false, restLoaded = false, restShown = false;
    std::string tipLength, restCaption = "开始";
    int progress = 0, progressTotal = 100, tipsShown = 0, restRemovals = 0;
    std::vector<std::string> calls;

    void showTip(const std::string& restLength) override {
        tipLoaded = tipShown = true, ++tipsShown, tipLength = restLength;
        calls.push_back("showTip");
    }
    void startProgress(int total) override {
        tipLoaded = true, progress = 0, progressTotal = total;
    }
    void showProgress(int done) override { tipLoaded = true, progress = done; }
    void removeTip() override {
        tipLoaded = tipShown = false, tipLength.clear();
        calls.push_back("removeTip");
    }
    void showRestScreen() override {
        restLoaded = restShown = true;
        calls.push_back("showRestScreen");
    }
    void showRemaining(int h, int m, int s) override {
        restLoaded = true;
        restCaption = std::to_string(h) + ":" + std::to_string(m) + ":" + std::to_string(s);
    }
    void removeRestScreen() override {
        restLoaded = restShown = false, restCaption = "开始", ++restRemovals;
        calls.push_back("removeRestScreen");
    }
};

// What the schedule last asked of its clock, and how often a one-second beat was started.
class RecordingTicks : public TickView {
  public:
    enum class Mode { Stopped, EverySecond, Once };
    Mode mode = Mode::Stopped;
    int onceInMs = 0, beatsStarted = 0;

    void tickEverySecond() override {
        if (mode != Mode::EverySecond)
            ++beatsStarted;
        mode = Mode::EverySecond;
    }
    void tickOnceIn(int ms) override { mode = Mode::Once, onceInMs = ms; }
    void stopTicking() override { mode = Mode::Stopped; }
};

} // namespace ocuvell::testing
