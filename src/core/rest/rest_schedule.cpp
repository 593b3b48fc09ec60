#include "core/rest/rest_schedule.h"

#include "core/rest/time_of_day.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string_view>
#include <utility>

namespace ocuvell {

namespace {

// One minute or more, up to the largest int: the time arithmetic reduces it modulo a day
// first. parseWholeNumber clamps longer numbers to the largest int, so that value counts
// only when the text spells exactly it.
std::optional<int> usableInterval(const std::string& text) {
    const auto v = parseWholeNumber(text);
    if (!v || *v < RestSchedule::kMinInterval)
        return std::nullopt;
    if (*v != std::numeric_limits<int>::max())
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

RestSchedule::RestSchedule(Clock& clock) : clock_(clock) {}

void RestSchedule::attach(const RestViews& views) {
    if (views.panel)
        views_.panel = views.panel;
    if (views.tip)
        views_.tip = views.tip;
    if (views.restScreen)
        views_.restScreen = views.restScreen;
    if (views.ticks) {
        views_.ticks = views.ticks;
        planTicks();
    }
}

void RestSchedule::detach(const RestViews& views) {
    if (views.panel && views_.panel == views.panel)
        views_.panel = nullptr;
    if (views.tip && views_.tip == views.tip)
        views_.tip = nullptr;
    if (views.restScreen && views_.restScreen == views.restScreen)
        views_.restScreen = nullptr;
    if (views.ticks && views_.ticks == views.ticks)
        views_.ticks = nullptr;
}

// While reminders are off, and while a tip waits for its answer with no rest counting,
// nothing can happen until the user acts; a rest counts every second; otherwise the only
// question is whether the rest time has come, which changes at a minute's start.
// Away-counts-as-rest adds to a waiting tip one look when the idle time would reach a
// rest's length and, once it has, a look every second, so that the return is seen at
// once; a full-screen source without change notices is asked every second while it
// holds a tip back.
void RestSchedule::planTicks() {
    if (watch_)
        watch_();
    if (!views_.ticks)
        return;
    if (!remindersOn_) {
        views_.ticks->stopTicking();
    } else if (counting()) {
        views_.ticks->tickEverySecond();
    } else if (tipsHeld()) {
        if (!awayCountsAsRest_ || !idle_)
            views_.ticks->stopTicking();
        else if (awayFrom_)
            views_.ticks->tickOnceIn(1000);
        else
            views_.ticks->tickOnceIn(static_cast<int>(
                std::clamp(restLength_ * 60000LL - lastIdleMs_ + kMinuteMarginMs, 1000LL,
                           lockedAndWatched() ? 60000LL : kMaxRestLength * 60000LL)));
    } else if (tipHeldBack_ && fullscreen_ && fullscreen_->needsPolling()) {
        views_.ticks->tickOnceIn(1000);
    } else {
        views_.ticks->tickOnceIn(60000 - clock_.millisecondsIntoMinute() + kMinuteMarginMs);
    }
}

void RestSchedule::loadStoredReminders(bool on) {
    remindersOn_ = on;
    planTicks();
}

void RestSchedule::loadStored(const std::string& interval, const std::string& restLength) {
    interval_ = usableInterval(interval).value_or(kDefaultInterval);
    restLength_ = usableRestLength(restLength).value_or(kDefaultRestLength);
    enterInterval(usableInterval(interval) ? interval : num(interval_));
    enterRestLength(usableRestLength(restLength) ? restLength : num(restLength_));
    if (views_.panel) {
        views_.panel->showIntervalEntry(intervalEntry_.text);
        views_.panel->showRestLengthEntry(restLengthEntry_.text);
    }
}

void RestSchedule::enterInterval(const std::string& text) {
    intervalEntry_ = {text, usableInterval(text)};
}

void RestSchedule::enterRestLength(const std::string& text) {
    restLengthEntry_ = {text, usableRestLength(text)};
}

int RestSchedule::intervalMinutes() const {
    return intervalEntry_.value.value_or(interval_);
}

int RestSchedule::restLengthMinutes() const {
    return restLengthEntry_.value.value_or(restLength_);
}

// A usable entry becomes the value in use; an unusable one is replaced by the value in
// use, in its box too, so the schedule never works with it.
void RestSchedule::settleEntries() {
    if (intervalEntry_.value) {
        interval_ = *intervalEntry_.value;
    } else {
        enterInterval(num(interval_));
        if (views_.panel)
            views_.panel->showIntervalEntry(intervalEntry_.text);
    }
    if (restLengthEntry_.value) {
        restLength_ = *restLengthEntry_.value;
    } else {
        enterRestLength(num(restLength_));
        if (views_.panel)
            views_.panel->showRestLengthEntry(restLengthEntry_.text);
    }
}

bool RestSchedule::tipsHeld() const {
    return stage_ == Stage::TipShown || stage_ == Stage::Resting ||
           stage_ == Stage::TipOverUnseenRest;
}

bool RestSchedule::counting() const {
    return stage_ == Stage::Resting || stage_ == Stage::CountingUnseen ||
           stage_ == Stage::TipOverUnseenRest;
}

// The rest time is kept on the clock's count, which summer time does not move; it is
// named as the user's clock will read when it comes.
std::string RestSchedule::nextRestTime() const {
    if (!nextRest_)
        return std::string();
    const long long now = clock_.localMinutes();
    return formatTimeOfDay(clock_.wallMinuteOfDay(now + wrap(*nextRest_ - now, kMinutesPerDay)));
}

// The present moment on the schedule's one-minute grid, rounded up: an interval counted
// from it never ends sooner than the interval itself, and its tip still comes at the start
// of a minute.
int RestSchedule::roundedNow() const {
    return (clock_.secondsOfDay() + 59) / 60;
}

// A rest time set now lies ahead: the present minute counts as checked, so a time that
// wrapped round to it comes a day later, not at once.
void RestSchedule::setNextRest(int minuteOfDay) {
    nextRest_ = addMinutes(0, minuteOfDay);
    checkedThrough_ = clock_.localMinutes();
}

void RestSchedule::rescheduleFromNow() {
    tipHeldBack_ = false;
    settleEntries();
    if (views_.panel) {
        views_.panel->showRestValues(intervalEntry_.text, restLengthEntry_.text);
        views_.panel->closeSettings();
    }
    setNextRest(addMinutes(roundedNow(), interval_));
    if (views_.panel)
        views_.panel->showNextRest(nextRestTime());
    planTicks();
}

// Whether the next rest time has come: the tick is the first in its minute, or the time
// of day went past it since the last check without a tick seeing it (forward only: a
// clock set back brings the minute round again by itself).
bool RestSchedule::restTimeReached() {
    const long long now = clock_.localMinutes();
    const auto last = std::exchange(checkedThrough_, now);
    if (!nextRest_ || (last && *last == now))
        return false;
    if (*nextRest_ == minuteOfDay(clock_.secondsOfDay()))
        return true;
    if (!last || now < *last)
        return false;
    // Minutes from the last checked one on to the rest time, 1..1440, against the
    // minutes that went by; a gap of a day or more passes every time of day.
    const long long ahead = wrap(*nextRest_ - *last - 1, kMinutesPerDay) + 1;
    return ahead <= now - *last;
}

void RestSchedule::tick() {
    // Nothing is checked while reminders are off; turning them on reschedules.
    if (remindersOn_) {
        checkAway();
        if (restTimeReached() && !tipsHeld())
            tipDue();
        else if (tipHeldBack_ && !tipsHeld())
            tipDue(); // a source's news missed, or one without news: asked at each tick
        if (counting())
            countdownStep();
    }
    planTicks();
}

// A due tip waits while a full-screen window has the focus; the source's news (or, for a
// source without news, the next second's look) brings it.
void RestSchedule::tipDue() {
    tipHeldBack_ = deferFullscreen_ && fullscreen_ && fullscreen_->fullscreenActive();
    if (!tipHeldBack_)
        showTip();
}

void RestSchedule::showTip() {
    // The length as it was typed ("05" stays "05"), unless it is one the countdown cannot
    // run, which the rest replaces by the last usable length.
    if (views_.tip)
        views_.tip->showTip("立即休息 " +
                            (restLengthEntry_.value ? restLengthEntry_.text : num(restLength_)) +
                            " 分钟");
    stage_ = stage_ == Stage::CountingUnseen ? Stage::TipOverUnseenRest : Stage::TipShown;
}

void RestSchedule::countdownStep() {
    Countdown& c = countdown_;
    c.seconds -= 1;
    if (c.seconds == 0 && c.minutes != 0) {
        c.seconds = 60;
        c.minutes -= 1;
    }
    // The minute in which the minutes counter would stand at 0 below a non-zero hour is
    // skipped: that is how the counters have always run, and the rest lengths rely on it.
    if (c.minutes == 0 && c.hours != 0) {
        c.minutes = 59;
        c.hours -= 1;
        c.seconds = 60;
    }
    c.ticks += 1;
    if (views_.tip)
        views_.tip->showProgress(c.ticks);

    // After the two steps the seconds are 0 only when everything is: the end of the rest.
    if (c.hours == 0 && c.minutes == 0 && c.seconds == 0)
        return endOfRest();
    if (views_.restScreen)
        views_.restScreen->showRemaining(num(c.hours) + ":" + num(c.minutes) + ":" +
                                         num(c.seconds));
}

void RestSchedule::endOfRest() {
    // A tip shown after this rest's screen was closed belongs to the next rest: it stays
    // on screen, still waiting for an answer, whatever this rest's end does.
    const bool keepTip = stage_ == Stage::TipOverUnseenRest;
    stage_ = tipsHeld() ? Stage::TipShown : Stage::Waiting; // the countdown is over
    rescheduleFromNow();
    if (views_.tip && !keepTip)
        views_.tip->removeTip();
    // The rest screen goes as its close image sends it, which reschedules once more.
    closeRestScreen();
    if (keepTip)
        stage_ = Stage::TipShown;
}

// No tip waits any more; a countdown still running goes on unseen.
void RestSchedule::tipAnswered() {
    stage_ = counting() ? Stage::CountingUnseen : Stage::Waiting;
}

void RestSchedule::startCountdown() {
    const int m = restLengthMinutes();
    if (views_.tip)
        views_.tip->startProgress(m * 60);
    Countdown c;
    c.minutes = m;
    if (m >= 60) {
        c.hours = m / 60;
        c.minutes = m % 60;
        if (c.minutes == 0) {
            c.minutes = 60;
            c.hours -= 1;
        }
    }
    c.minutes -= 1;
    c.seconds = 60;
    countdown_ = c;
    // The countdown starting now is its own rest, even over one closed early.
    stage_ = tipsHeld() ? Stage::Resting : Stage::CountingUnseen;
    planTicks();
}

void RestSchedule::acceptTip() {
    startCountdown();
    stage_ = Stage::Resting;
    if (views_.tip)
        views_.tip->removeTip();
    if (views_.restScreen)
        views_.restScreen->showRestScreen();
    planTicks();
}

void RestSchedule::declineTip() {
    rescheduleFromNow();
    tipAnswered();
    if (views_.tip)
        views_.tip->removeTip();
    planTicks();
}

void RestSchedule::closeRestScreen() {
    rescheduleFromNow();
    tipAnswered();
    if (views_.restScreen)
        views_.restScreen->removeRestScreen();
    planTicks();
}

void RestSchedule::switchReminders(bool on) {
    if (on)
        rescheduleFromNow();
    else
        checkedThrough_.reset();
    remindersOn_ = on;
    if (views_.panel)
        views_.panel->showReminders(on);
    planTicks();
}

void RestSchedule::confirmSettings() {
    rescheduleFromNow();
}

void RestSchedule::dismissSettings() {
    if (views_.panel)
        views_.panel->closeSettings();
}

void RestSchedule::postpone() {
    setNextRest(addMinutes(nextRest_.value_or(roundedNow()), intervalMinutes()));
    planTicks();
}

void RestSchedule::restLater() {
    restLater(postponeMinutes_);
}

void RestSchedule::restLater(int minutes) {
    if (!remindersOn_)
        return;
    minutes = std::clamp(minutes, kMinPostpone, kMaxPostpone);
    // A rest time that has come is behind us: later counts from now.
    const int from = tipUp() || tipHeldBack_ || !nextRest_ ? roundedNow() : *nextRest_;
    setNextRest(addMinutes(from, minutes));
    nextRestMoved();
    planTicks();
}

bool RestSchedule::tipUp() const {
    return stage_ == Stage::TipShown || stage_ == Stage::TipOverUnseenRest;
}

// The rest a tip announced, shown or held back, is no longer due: the tip goes, and the
// main page shows the new time.
void RestSchedule::nextRestMoved() {
    tipHeldBack_ = false;
    if (tipUp()) {
        tipAnswered();
        if (views_.tip)
            views_.tip->removeTip();
    }
    if (views_.panel)
        views_.panel->showNextRest(nextRestTime());
}

// Reads the idle time. Idle for a rest's length marks the user away from the last input
// on; a later look that finds input after that moment takes the absence as a rest that
// ended when input came back (now less the idle time). An absence is never counted
// shorter than it was seen to be, so a video player resetting the idle timer, or input
// now and then, keeps it from counting.
void RestSchedule::checkAway() {
    if (!awayCountsAsRest_ || !idle_ || counting())
        return;
    const std::optional<long long> idle = idle_->idleMilliseconds();
    if (!idle)
        return;
    lastIdleMs_ = std::max(0LL, *idle);
    const long long lastInput = clock_.seconds() - lastIdleMs_ / 1000;
    // A second either way is the two clocks' rounding, not input.
    if (sessionAwayAt_ && sessionLocked_ && !inputWhileLocked_ && lastInput > *sessionAwayAt_ + 1)
        inputWhileLocked_ = lastInput; // the user at work through a lock
    const bool returned = awayFrom_ && lastInput > *awayFrom_ + 1;
    if (returned) {
        awayFrom_.reset();
        restTakenAway(lastInput);
    }
    if (!awayFrom_ && lastIdleMs_ >= restLength_ * 60000LL)
        awayFrom_ = lastInput;
}

// As if a rest had ended at returnedAt: the next rest one interval on from there (never a
// time already gone), and a tip waiting for the user goes.
void RestSchedule::restTakenAway(long long returnedAt) {
    const long long ago =
        std::clamp(clock_.seconds() - returnedAt, 0LL, std::max(0LL, interval_ * 60LL - 60));
    const int returnedSecond =
        static_cast<int>(wrap(clock_.secondsOfDay() - ago, kMinutesPerDay * 60LL));
    setNextRest(addMinutes((returnedSecond + 59) / 60, interval_));
    nextRestMoved();
}

void RestSchedule::recheckClock() {
    if (remindersOn_ && !counting()) {
        checkAway();
        if (restTimeReached() && !tipsHeld())
            tipDue();
    }
    planTicks();
}

void RestSchedule::clockSet() {
    recheckClock();
}

void RestSchedule::sessionAway(Away how) {
    if (sessionAwayAt_)
        return;
    sessionAwayAt_ = clock_.seconds();
    sessionLocked_ = how == Away::Locked;
    inputWhileLocked_.reset();
    if (lockedAndWatched())
        planTicks(); // at least once a minute while it lasts
}

// A lock is looked at through the idle time while it lasts: the user's input seen in it,
// short of the unlocking, ends the absence there.
bool RestSchedule::lockedAndWatched() const {
    return sessionAwayAt_ && sessionLocked_ && awayCountsAsRest_ && idle_;
}

void RestSchedule::sessionBack() {
    const long long now = clock_.seconds();
    long long back = now;
    if (inputWhileLocked_ && *inputWhileLocked_ < now - kUnlockGraceSeconds)
        back = *inputWhileLocked_;
    if (remindersOn_ && awayCountsAsRest_ && sessionAwayAt_ && !counting() &&
        back - *sessionAwayAt_ >= restLength_ * 60LL)
        restTakenAway(back);
    sessionAwayAt_.reset();
    inputWhileLocked_.reset();
    // The idle time of a server asleep with the machine did not run: an absence seen
    // before the sleep is measured afresh.
    awayFrom_.reset();
    recheckClock();
}

void RestSchedule::fullscreenChanged() {
    if (remindersOn_ && tipHeldBack_ && !tipsHeld()) {
        checkAway(); // the tip's look at the user plans from a fresh idle time
        tipDue();
    }
    planTicks();
}

void RestSchedule::setFullscreenSource(FullscreenSource* source) {
    fullscreen_ = source;
    if (fullscreen_)
        fullscreen_->watch(deferFullscreen_);
}

void RestSchedule::setDeferFullscreen(bool on) {
    deferFullscreen_ = on;
    if (fullscreen_)
        fullscreen_->watch(on);
    if (!on && tipHeldBack_ && remindersOn_ && !tipsHeld())
        tipDue();
    planTicks();
}

void RestSchedule::setAwayCountsAsRest(bool on) {
    awayCountsAsRest_ = on;
    if (!on)
        awayFrom_.reset();
    planTicks();
}

void RestSchedule::setPostponeMinutes(int minutes) {
    postponeMinutes_ =
        minutes >= kMinPostpone && minutes <= kMaxPostpone ? minutes : kDefaultPostpone;
}

void RestSchedule::rescheduleAfterARest() {
    setNextRest(addMinutes(addMinutes(roundedNow(), intervalMinutes()), restLengthMinutes()));
    planTicks();
}

} // namespace ocuvell
