#pragma once
// A clock the tests move by hand and a main-window panel that keeps its texts in fields.
#include "core/rest/rest_schedule.h"

#include <string>

namespace ocuvell::test {

// Keeps a day count too, so that time going by unseen and the clock set back differ.
// set() changes the time of day within the day, as a user setting the clock does.
class FakeClock : public Clock {
  public:
    int seconds = 0;
    long long day = 0;
    int secondsOfDay() const override { return seconds; }
    long long localMinutes() const override { return day * 1440 + seconds / 60; }
    void set(int h, int m, int s = 0) { seconds = h * 3600 + m * 60 + s; }
    void advance(long long s = 1) {
        const long long t = day * 86400 + seconds + s;
        day = t >= 0 ? t / 86400 : -((-t + 86399) / 86400);
        seconds = static_cast<int>(t - day * 86400);
    }
};

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

} // namespace ocuvell::test
