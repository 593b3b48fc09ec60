#include "core/rest/rest_schedule.h"

#include "core/rest/time_of_day.h"
#include "core/settings/number_text.h"

#include <charconv>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

namespace ocuvell {

namespace {

// Any whole number an int holds: the time arithmetic reduces it modulo a day first.
// parseWholeNumber clamps longer numbers to the ends of int, so a value at either end
// counts only when the text spells exactly that value.
std::optional<int> usableInterval(const std::string& text) {
    const auto v = parseWholeNumber(text);
    if (!v || (*v != std::numeric_limits<int>::max() && *v != std::numeric_limits<int>::min()))
        return v;
    std::string_view digits = text;
    while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t'))
        digits.remove_prefix(1);
    while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t'))
        digits.remove_suffix(1);
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    int exact = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), exact);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return exact;
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

// a mod b for b > 0, never negative.
long long wrap(long long a, long long b) {
    return ((a % b) + b) % b;
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

std::int16_t RestSchedule::pdtipshow() const {
    return stage_ == Stage::TipShown || stage_ == Stage::Resting ||
           stage_ == Stage::TipOverUnseenRest;
}

std::int16_t RestSchedule::pdcountdown() const {
    return stage_ == Stage::Resting || stage_ == Stage::CountingUnseen ||
           stage_ == Stage::TipOverUnseenRest;
}

void RestSchedule::rescheduleFromNow() {
    settleEntries();
    panel_.setDhhour(0, panel_.text2());
    panel_.setDhhour(1, panel_.text3());
    panel_.hidePpset();
    panel_.setText1(formatTimeOfDay(minuteOfDay(clock_.secondsOfDay())));
    const int base = parseTimeOfDay(panel_.text1()).value_or(minuteOfDay(clock_.secondsOfDay()));
    panel_.setText1(formatTimeOfDay(addMinutes(base, intervalMinutes())));
    panel_.setLabel5(panel_.text1());
    rescheduled();
}

// A new next rest time is due from the present minute on: that minute counts as not yet
// checked, so an interval of 0 set in a minute's last second still tips on the next tick.
void RestSchedule::rescheduled() {
    checkedThrough_ = clock_.localMinutes() - 1;
}

// Whether the next rest time has come: the tick falls in its minute, or the time of day
// went past it since the last check without a tick seeing it (forward only: a clock set
// back brings the minute round again by itself).
bool RestSchedule::restTimeReached(const std::optional<int>& next) {
    const long long now = clock_.localMinutes();
    const auto last = std::exchange(checkedThrough_, now);
    if (!next)
        return false;
    if (*next == minuteOfDay(clock_.secondsOfDay()))
        return true;
    if (!last || now <= *last)
        return false;
    // Minutes from the last checked one on to the rest time, 1..1440, against the
    // minutes that went by; a gap of a day or more passes every time of day.
    const long long ahead = wrap(*next - *last - 1, kMinutesPerDay) + 1;
    return ahead <= now - *last;
}

void RestSchedule::tick() {
    if (!remindersOn()) {
        // Nothing is checked while reminders are off; turning them on reschedules.
        checkedThrough_.reset();
        return;
    }
    if (restTimeReached(parseTimeOfDay(panel_.text1())) && !pdtipshow())
        showTip();
    if (pdcountdown())
        countdownStep();
}

void RestSchedule::showTip() {
    if (windows_) {
        windows_->showTip();
        // The length as the box holds it ("05" stays "05"), unless it is one the
        // countdown cannot run, which the rest replaces by the last usable length.
        const std::string typed = panel_.text3();
        windows_->setTipCaption("立即休息 " +
                                (usableRestLength(typed) ? typed : num(lastRestLength_)) + " 分钟");
    }
    stage_ = stage_ == Stage::CountingUnseen ? Stage::TipOverUnseenRest : Stage::TipShown;
}

void RestSchedule::countdownStep() {
    int sec = xxsec_ - 1, min = xxmin_, hour = xxhour_;
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
    xxsec_ = static_cast<std::int16_t>(sec);
    xxmin_ = static_cast<std::int16_t>(min);
    xxhour_ = static_cast<std::int16_t>(hour);
    xxticks_ = static_cast<std::int16_t>(xxticks_ + 1);
    if (windows_) {
        windows_->setTipproValue(xxticks_);
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
    // A tip shown after this rest's screen was closed belongs to the next rest: it stays
    // on screen, still waiting for an answer, whatever this rest's end does.
    const bool keepTip = stage_ == Stage::TipOverUnseenRest;
    stage_ = pdtipshow() ? Stage::TipShown : Stage::Waiting; // the countdown is over
    rescheduleFromNow();
    if (windows_ && windows_->tipLoaded() && !keepTip)
        windows_->unloadTip();
    // The rest screen goes as its close image sends it, which reschedules once more.
    closeRestScreen();
    if (keepTip)
        stage_ = Stage::TipShown;
}

// No tip waits any more; a countdown still running goes on unseen.
void RestSchedule::tipAnswered() {
    stage_ = pdcountdown() ? Stage::CountingUnseen : Stage::Waiting;
}

void RestSchedule::startCountdown() {
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
    xxhour_ = static_cast<std::int16_t>(hour);
    xxmin_ = static_cast<std::int16_t>(min - 1);
    xxsec_ = 60;
    xxticks_ = 0;
    // The countdown starting now is its own rest, even over one closed early.
    stage_ = pdtipshow() ? Stage::Resting : Stage::CountingUnseen;
}

void RestSchedule::acceptTip() {
    startCountdown();
    stage_ = Stage::Resting;
    if (windows_) {
        windows_->unloadTip();
        windows_->showRest();
    }
}

void RestSchedule::declineTip() {
    rescheduleFromNow();
    tipAnswered();
    if (windows_)
        windows_->unloadTip();
}

void RestSchedule::closeRestScreen() {
    rescheduleFromNow();
    tipAnswered();
    if (windows_)
        windows_->unloadRest();
}

void RestSchedule::switchReminders(bool on) {
    if (on) {
        rescheduleFromNow();
        Pdxxrun_ = switchText(true);
        panel_.setRestHeadingGreen(true);
        panel_.setEdit1Visible(true);
    } else {
        Pdxxrun_ = switchText(false);
        panel_.setRestHeadingGreen(false);
        panel_.setEdit1Visible(false);
    }
}

void RestSchedule::confirmSettings() {
    rescheduleFromNow();
}

void RestSchedule::dismissSettings() {
    panel_.hidePpset();
}

void RestSchedule::postpone() {
    const int base = parseTimeOfDay(panel_.text1()).value_or(minuteOfDay(clock_.secondsOfDay()));
    panel_.setText1(formatTimeOfDay(addMinutes(base, intervalMinutes())));
    rescheduled();
}

void RestSchedule::rescheduleAfterARest() {
    const int now = minuteOfDay(clock_.secondsOfDay());
    panel_.setText1(formatTimeOfDay(now));
    panel_.setText1(formatTimeOfDay(addMinutes(now, intervalMinutes())));
    const int next = parseTimeOfDay(panel_.text1()).value_or(now);
    panel_.setText1(formatTimeOfDay(addMinutes(next, restLengthMinutes())));
    rescheduled();
}

} // namespace ocuvell
