#pragma once
// The schedule's surroundings without windows: Form1's rest controls as fields, and a
// popup and rest screen that only record what the schedule asks of them.
#include "core/rest/rest_schedule.h"

#include <string>
#include <vector>

namespace ocuvell::testing {

class FakePanel : public RestPanel {
  public:
    std::string t1 = "12:30", t2 = "1", t3 = "1", label5 = "12:30", dh0 = "240", dh1 = "240";
    bool ppsetVisible = false, headingGreen = false, edit1Visible = false;
    int text1Writes = 0;

    std::string text1() const override { return t1; }
    void setText1(const std::string& s) override { t1 = s, ++text1Writes; }
    std::string text2() const override { return t2; }
    void setText2(const std::string& s) override { t2 = s; }
    std::string text3() const override { return t3; }
    void setText3(const std::string& s) override { t3 = s; }
    void setLabel5(const std::string& s) override { label5 = s; }
    void setDhhour(int index, const std::string& s) override { (index == 0 ? dh0 : dh1) = s; }
    void hidePpset() override { ppsetVisible = false; }
    void setRestHeadingGreen(bool green) override { headingGreen = green; }
    void setEdit1Visible(bool visible) override { edit1Visible = visible; }
};

// Keeps what the schedule asked the popup and the rest screen to show: a write loads a
// window without showing it, unloading clears its captions. `calls` lists the requests
// that show or unload, in their order.
class RecordingWindows : public RestWindows {
  public:
    bool tipLoadedFlag = false, tipShown = false, restLoaded = false, restShown = false;
    std::string tipCaption, restCaption = "开始";
    int tipproValue = 0, tipproMax = 100, snapshots = 0, tipsShown = 0, restUnloads = 0;
    std::vector<std::string> calls;

    void showTip() override {
        tipLoadedFlag = tipShown = true, ++tipsShown;
        calls.push_back("showTip");
    }
    void setTipCaption(const std::string& s) override { tipLoadedFlag = true, tipCaption = s; }
    void setTipproValue(int v) override { tipLoadedFlag = true, tipproValue = v; }
    void setTipproMax(int m) override { tipLoadedFlag = true, tipproMax = m; }
    bool tipLoaded() const override { return tipLoadedFlag; }
    void unloadTip() override {
        tipLoadedFlag = tipShown = false, tipCaption.clear();
        calls.push_back("unloadTip");
    }
    void restSnapshot() override { restLoaded = true, ++snapshots; }
    void setRestCaption(const std::string& s) override { restLoaded = true, restCaption = s; }
    void showRest() override {
        restLoaded = restShown = true;
        calls.push_back("showRest");
    }
    void unloadRest() override {
        restLoaded = restShown = false, restCaption = "开始", ++restUnloads;
        calls.push_back("unloadRest");
    }
};

} // namespace ocuvell::testing
