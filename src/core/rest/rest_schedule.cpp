#include "core/rest/rest_schedule.h"

#include "core/rest/time_of_day.h"
#include "core/settings/settings_table.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <limits>
#include <string_view>
#include <utility>

namespace ocuvell {

namespace {

// The bounds and defaults are the settings table's.
constexpr const SettingRow& kInterval = row(Setting::Interval);
constexpr const SettingRow& kRestLength = row(Setting::RestLength);
constexpr const SettingRow& kPostpone = row(Setting::PostponeMinutes);

// One minute or more, up to the largest int: the time arithmetic reduces it modulo a day
// first. parseWholeNumber clamps longer numbers to the largest int, so that value counts
// only when the text spells exactly it.
std::optional<int> usableInterval(const std::string& text) {
    const auto v = parseWholeNumber(text);
    if (!v || *v < kInterval.min)
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
    if (v && *v >= kRestLength.min && *v <= kRestLength.max)
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

RestSchedule::RestSchedule(Clock& clock)
    : clock_(clock), interval_(kInterval.neutral), restLength_(kRestLength.neutral),
      presence_(clock), postponeMinutes_(kPostpone.neutral) {}

void RestSchedule::attach(const RestViews& views) {
    if (views.panel)
        views_.panel = views.panel;
    if (views.tip)
        views_.tip = views.tip;
    if (views.restScreen)
        views_.restScreen = views.restScreen;
    if (views.ticks) {
        views_.ticks = views.ticks;
        goTo(stage_);
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

// --- The stages ------------------------------------------------------------------------

bool RestSchedule::tipsHeld(Stage s) {
    return s == Stage::TipShown || s == Stage::Resting || s == Stage::TipOverUnseenRest;
}

bool RestSchedule::counting(Stage s) {
    return s == Stage::Resting || s == Stage::CountingUnseen || s == Stage::TipOverUnseenRest;
}

bool RestSchedule::tipUp(Stage s) {
    return s == Stage::TipShown || s == Stage::TipOverUnseenRest;
}

bool RestSchedule::tipsHeld() const {
    return tipsHeld(stage_);
}

bool RestSchedule::counting() const {
    return counting(stage_);
}

RestSchedule::Stage RestSchedule::after(Stage from, Event event) {
    switch (event) {
    case Event::TipShown:
        return from == Stage::CountingUnseen ? Stage::TipOverUnseenRest : Stage::TipShown;
    case Event::CountdownStarted:
        // The countdown starting now is its own rest, even over one closed early.
        return tipsHeld(from) ? Stage::Resting : Stage::CountingUnseen;
    case Event::TipAccepted:
        return Stage::Resting;
    case Event::Answered:
        return counting(from) ? Stage::CountingUnseen : Stage::Waiting;
    case Event::RestOver:
        // A tip shown after this rest's screen was closed belongs to the next rest: it
        // stays, still waiting for an answer.
        return from == Stage::TipOverUnseenRest ? Stage::TipShown : Stage::Waiting;
    }
    return from;
}

void RestSchedule::goTo(Stage next) {
    // A countdown's seconds run 60 down to 1 while it counts and are 0 once it is over.
    assert(next != Stage::Off && counting(next) == (countdown_.seconds != 0));
    stage_ = next;
    planTicks();
}

// While reminders are off, and while a tip waits for its answer with no rest counting,
// nothing can happen until the user acts; a rest counts every second; otherwise the only
// question is whether the rest time has come, which changes at a minute's start.
// Away-counts-as-rest adds to a waiting tip the looks the user's presence needs; a
// full-screen source without change notices is asked every second while it holds a tip
// back.
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
        const auto look =
            presence_.nextLookMs(restLength_, kMinuteMarginMs, kRestLength.max * 60000LL);
        if (look)
            views_.ticks->tickOnceIn(static_cast<int>(*look));
        else
            views_.ticks->stopTicking();
    } else if (tipHeldBack_ && presence_.fullscreenNeedsPolling()) {
        views_.ticks->tickOnceIn(1000);
    } else {
        views_.ticks->tickOnceIn(60000 - clock_.millisecondsIntoMinute() + kMinuteMarginMs);
    }
}

// --- Load, entries and values ----------------------------------------------------------

void RestSchedule::loadStoredReminders(bool on) {
    remindersOn_ = on;
    goTo(stage_);
}

void RestSchedule::loadStored(const std::string& interval, const std::string& restLength) {
    interval_ = usableInterval(interval).value_or(kInterval.neutral);
    restLength_ = usableRestLength(restLength).value_or(kRestLength.neutral);
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

// The rest time is kept on the clock's count, which summer time does not move; it is
// named as the user's clock will read when it comes.
std::optional<int> RestSchedule::nextRestMinuteOfDay() const {
    if (!nextRest_)
        return std::nullopt;
    const long long now = clock_.localMinutes();
    return clock_.wallMinuteOfDay(now + wrap(*nextRest_ - now, kMinutesPerDay));
}

std::string RestSchedule::nextRestTime() const {
    const std::optional<int> minute = nextRestMinuteOfDay();
    return minute ? formatTimeOfDay(*minute) : std::string();
}

void RestSchedule::showNextRest() {
    if (const std::optional<int> minute = nextRestMinuteOfDay(); minute && views_.panel)
        views_.panel->showNextRest(*minute);
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

// --- The steps -------------------------------------------------------------------------

// The next rest one interval from now, with the settings page's entries settled.
RestSchedule::Stage RestSchedule::reschedule(Stage s) {
    tipHeldBack_ = false;
    settleEntries();
    if (views_.panel) {
        views_.panel->showRestValues(intervalEntry_.text, restLengthEntry_.text);
        views_.panel->closeSettings();
    }
    setNextRest(addMinutes(roundedNow(), interval_));
    showNextRest();
    return s;
}

// A due tip waits while a full-screen window has the focus; the source's news (or, for a
// source without news, the next second's look) brings it.
RestSchedule::Stage RestSchedule::tipDue(Stage s) {
    tipHeldBack_ = presence_.fullscreenHoldsTip();
    return tipHeldBack_ ? s : showTip(s);
}

RestSchedule::Stage RestSchedule::showTip(Stage s) {
    // The length as it was typed ("05" stays "05"), unless it is one the countdown cannot
    // run, which the rest replaces by the last usable length.
    if (views_.tip)
        views_.tip->showTip(restLengthEntry_.value ? restLengthEntry_.text : num(restLength_));
    return after(s, Event::TipShown);
}

RestSchedule::Stage RestSchedule::startRest(Stage s) {
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
    return after(s, Event::CountdownStarted);
}

RestSchedule::Stage RestSchedule::countdownStep(Stage s) {
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
        return endOfRest(s);
    if (views_.restScreen)
        views_.restScreen->showRemaining(c.hours, c.minutes, c.seconds);
    return s;
}

// The rest's tip and screen go and the next rest is one interval from now; a tip that
// came up for the next rest while this one counted unseen stays.
RestSchedule::Stage RestSchedule::endOfRest(Stage s) {
    reschedule(s);
    if (views_.tip && s != Stage::TipOverUnseenRest)
        views_.tip->removeTip();
    if (views_.restScreen)
        views_.restScreen->removeRestScreen();
    return after(s, Event::RestOver);
}

RestSchedule::Stage RestSchedule::restScreenClosed(Stage s) {
    s = after(reschedule(s), Event::Answered);
    if (views_.restScreen)
        views_.restScreen->removeRestScreen();
    return s;
}

// The rest a tip announced, shown or held back, is no longer due: the tip goes, and the
// main page shows the new time.
RestSchedule::Stage RestSchedule::nextRestMoved(Stage s) {
    tipHeldBack_ = false;
    if (tipUp(s)) {
        s = after(s, Event::Answered);
        if (views_.tip)
            views_.tip->removeTip();
    }
    showNextRest();
    return s;
}

// An absence as long as a rest, seen through the idle time, counts as a rest taken.
RestSchedule::Stage RestSchedule::lookAtUser(Stage s) {
    if (counting(s))
        return s;
    if (const std::optional<long long> back = presence_.lookAtUser(restLength_))
        return restTakenAway(s, *back);
    return s;
}

// As if a rest had ended at returnedAt: the next rest one interval on from there (never a
// time already gone), and a tip waiting for the user goes.
RestSchedule::Stage RestSchedule::restTakenAway(Stage s, long long returnedAt) {
    const long long ago =
        std::clamp(clock_.seconds() - returnedAt, 0LL, std::max(0LL, interval_ * 60LL - 60));
    const int returnedSecond =
        static_cast<int>(wrap(clock_.secondsOfDay() - ago, kMinutesPerDay * 60LL));
    setNextRest(addMinutes((returnedSecond + 59) / 60, interval_));
    return nextRestMoved(s);
}

RestSchedule::Stage RestSchedule::recheckClock(Stage s) {
    if (remindersOn_ && !counting(s)) {
        s = lookAtUser(s);
        if (restTimeReached() && !tipsHeld(s))
            s = tipDue(s);
    }
    return s;
}

// --- The operations: each leaves through goTo() once -----------------------------------

void RestSchedule::tick() {
    Stage s = stage_;
    // Nothing is checked while reminders are off; turning them on reschedules.
    if (remindersOn_) {
        s = lookAtUser(s);
        const bool reached = restTimeReached();
        // A tip held back is asked for at each tick too: a source's news missed, or one
        // without news.
        if (!tipsHeld(s) && (reached || tipHeldBack_))
            s = tipDue(s);
        if (counting(s))
            s = countdownStep(s);
    }
    goTo(s);
}

void RestSchedule::clockSet() {
    goTo(recheckClock(stage_));
}

void RestSchedule::rescheduleFromNow() {
    goTo(reschedule(stage_));
}

void RestSchedule::startCountdown() {
    goTo(startRest(stage_));
}

void RestSchedule::acceptTip() {
    const Stage s = after(startRest(stage_), Event::TipAccepted);
    if (views_.tip)
        views_.tip->removeTip();
    if (views_.restScreen)
        views_.restScreen->showRestScreen();
    goTo(s);
}

// No tip waits any more; a countdown still running goes on unseen.
void RestSchedule::declineTip() {
    const Stage s = after(reschedule(stage_), Event::Answered);
    if (views_.tip)
        views_.tip->removeTip();
    goTo(s);
}

void RestSchedule::closeRestScreen() {
    goTo(restScreenClosed(stage_));
}

void RestSchedule::switchReminders(bool on) {
    if (on)
        reschedule(stage_);
    else
        checkedThrough_.reset();
    remindersOn_ = on;
    if (views_.panel)
        views_.panel->showReminders(on);
    goTo(stage_);
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
    goTo(stage_);
}

void RestSchedule::restLater() {
    restLater(postponeMinutes_);
}

void RestSchedule::restLater(int minutes) {
    if (!remindersOn_)
        return;
    minutes = std::clamp(minutes, kPostpone.min, kPostpone.max);
    // A rest time that has come is behind us: later counts from now.
    const int from = tipUp(stage_) || tipHeldBack_ || !nextRest_ ? roundedNow() : *nextRest_;
    setNextRest(addMinutes(from, minutes));
    goTo(nextRestMoved(stage_));
}

void RestSchedule::rescheduleAfterARest() {
    setNextRest(addMinutes(addMinutes(roundedNow(), intervalMinutes()), restLengthMinutes()));
    goTo(stage_);
}

// A lock watched through the idle time is looked at at least once a minute while it lasts.
void RestSchedule::sessionAway(Away how) {
    if (presence_.sessionAway(how) && presence_.lockedAndWatched())
        goTo(stage_);
}

void RestSchedule::sessionBack() {
    Stage s = stage_;
    const std::optional<long long> back = presence_.sessionBack(restLength_);
    if (back && remindersOn_ && !counting(s))
        s = restTakenAway(s, *back);
    goTo(recheckClock(s));
}

void RestSchedule::fullscreenChanged() {
    Stage s = stage_;
    if (remindersOn_ && tipHeldBack_ && !tipsHeld(s)) {
        s = lookAtUser(s); // the tip's look at the user plans from a fresh idle time
        s = tipDue(s);
    }
    goTo(s);
}

void RestSchedule::setDeferFullscreen(bool on) {
    presence_.setDeferFullscreen(on);
    Stage s = stage_;
    if (!on && tipHeldBack_ && remindersOn_ && !tipsHeld(s))
        s = tipDue(s);
    goTo(s);
}

void RestSchedule::setAwayCountsAsRest(bool on) {
    presence_.setAwayCountsAsRest(on);
    goTo(stage_);
}

void RestSchedule::setPostponeMinutes(int minutes) {
    postponeMinutes_ =
        minutes >= kPostpone.min && minutes <= kPostpone.max ? minutes : kPostpone.neutral;
}

} // namespace ocuvell
