#include "rest/rest_schedule.h"

#include "rest/time_of_day.h"

#include <optional>

namespace ocuvell {

namespace {

std::optional<int> usableInterval(const std::string& text) {
    const auto v = parseWholeNumber(text);
    if (v && *v >= -RestSchedule::kMaxInterval && *v <= RestSchedule::kMaxInterval)
        return v;
    return std::nullopt;
}

std::optional<int> usableRestLength(const std::string& text) {
    const auto v = parseWholeNumber(text);
    if (v && *v >= 1 && *v <= RestSchedule::kMaxRestLength)
        return v;
    return std::nullopt;
}

std::string num(int v) {
    return std::to_string(v);
}

} // namespace

RestSchedule::RestSchedule(RestPanel& panel, Clock& clock) : panel_(panel), clock_(clock) {}

void RestSchedule::loadStored(const std::string& mei, const std::string& xiuxi) {
    lastInterval_ = usableInterval(mei).value_or(kDefaultInterval);
    lastRestLength_ = usableRestLength(xiuxi).value_or(kDefaultRestLength);
    panel_.setText2(usableInterval(mei) ? mei : num(lastInterval_));
    panel_.setText3(usableRestLength(xiuxi) ? xiuxi : num(lastRestLength_));
}

int RestSchedule::intervalMinutes() const {
    return usableInterval(panel_.text2()).value_or(lastInterval_);
}

int RestSchedule::restLengthMinutes() const {
    return usableRestLength(panel_.text3()).value_or(lastRestLength_);
}

// A confirmed entry becomes the value in use; an unusable one is replaced in its box by
// the last value in use, so the schedule never works with it.
void RestSchedule::settleEntries() {
    if (const auto v = usableInterval(panel_.text2()))
        lastInterval_ = *v;
    else
        panel_.setText2(num(lastInterval_));
    if (const auto v = usableRestLength(panel_.text3()))
        lastRestLength_ = *v;
    else
        panel_.setText3(num(lastRestLength_));
}

void RestSchedule::dsxxadd() {
    settleEntries();
    panel_.setDhhour(0, panel_.text2());
    panel_.setDhhour(1, panel_.text3());
    panel_.hidePpset();
    panel_.setText1(formatTimeOfDay(minuteOfDay(clock_.secondsOfDay())));
    const int base = parseTimeOfDay(panel_.text1()).value_or(minuteOfDay(clock_.secondsOfDay()));
    panel_.setText1(formatTimeOfDay(addMinutes(base, intervalMinutes())));
    panel_.setLabel5(panel_.text1());
}

void RestSchedule::Timer1_Timer() {
    if (Pdxxrun != "1")
        return;
    const auto next = parseTimeOfDay(panel_.text1());
    if (next && *next == minuteOfDay(clock_.secondsOfDay()) && Pdtipshow == 0) {
        if (windows_) {
            windows_->showTip();
            windows_->setTipCaption("立即休息 " + num(restLengthMinutes()) + " 分钟");
        }
        Pdtipshow = 1;
    }
    if (Pdcountdown == 1)
        countdownStep();
}

void RestSchedule::countdownStep() {
    int sec = xxsec - 1, min = xxmin, hour = xxhour;
    if (sec == 0 && min != 0) {
        sec = 60;
        min -= 1;
    }
    // The minute in which the minutes counter would stand at 0 below a non-zero hour is
    // skipped: that is how the counters have always run, and the rest lengths rely on it.
    if (min == 0 && hour != 0) {
        min = 59;
        hour -= 1;
        sec = 60;
    }
    xxsec = static_cast<std::int16_t>(sec);
    xxmin = static_cast<std::int16_t>(min);
    xxhour = static_cast<std::int16_t>(hour);
    xxticks = static_cast<std::int16_t>(xxticks + 1);
    if (windows_) {
        windows_->setTipproValue(xxticks);
        windows_->restSnapshot();
    }

    std::string caption;
    if (hour > 0 && min > 0 && sec > 0)
        caption = num(hour) + ":" + num(min) + ":" + num(sec);
    else if (hour == 0 && min > 0 && sec > 0)
        caption = "0:" + num(min) + ":" + num(sec);
    else if (hour == 0 && min == 0 && sec > 0)
        caption = "0:0:" + num(sec);
    else if (hour == 0 && min == 0 && sec == 0)
        return endOfRest();
    if (!caption.empty() && windows_)
        windows_->setRestCaption(caption);
}

void RestSchedule::endOfRest() {
    Pdcountdown = 0;
    dsxxadd();
    if (windows_ && windows_->tipLoaded())
        windows_->unloadTip();
    if (windows_)
        windows_->restImgcloseClick();
    else {
        okdsxxadd_Click();
        Pdtipshow = 0;
    }
}

void RestSchedule::form2tip_Click() {
    const int m = restLengthMinutes();
    if (windows_) {
        windows_->setTipproValue(0);
        windows_->setTipproMax(m * 60);
    }
    int hour = 0, min = m;
    if (m >= 60) {
        hour = m / 60;
        min = m % 60;
        if (min == 0) {
            min = 60;
            hour -= 1;
        }
    }
    xxhour = static_cast<std::int16_t>(hour);
    xxmin = static_cast<std::int16_t>(min - 1);
    xxsec = 60;
    Pdcountdown = 1;
    xxticks = 0;
}

void RestSchedule::SafeSwitch2_Click(bool value) {
    if (value) {
        dsxxadd();
        Pdxxrun = "1";
        panel_.setRestHeadingGreen(true);
        panel_.setEdit1Visible(true);
    } else {
        Pdxxrun = "0";
        panel_.setRestHeadingGreen(false);
        panel_.setEdit1Visible(false);
    }
}

void RestSchedule::setok_Click(int /*index*/) {
    dsxxadd();
}

void RestSchedule::setno_Click(int /*index*/) {
    panel_.hidePpset();
}

void RestSchedule::Command1_Click() {
    const int base = parseTimeOfDay(panel_.text1()).value_or(minuteOfDay(clock_.secondsOfDay()));
    panel_.setText1(formatTimeOfDay(addMinutes(base, intervalMinutes())));
}

void RestSchedule::Command2_Click() {
    const int now = minuteOfDay(clock_.secondsOfDay());
    panel_.setText1(formatTimeOfDay(now));
    panel_.setText1(formatTimeOfDay(addMinutes(now, intervalMinutes())));
    const int next = parseTimeOfDay(panel_.text1()).value_or(now);
    panel_.setText1(formatTimeOfDay(addMinutes(next, restLengthMinutes())));
}

} // namespace ocuvell
