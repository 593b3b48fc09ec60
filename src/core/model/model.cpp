#include "core/model/model.h"

#include <algorithm>

#include "core/night/cities.h"
#include "core/night/colour_temperature.h"
#include "core/rest/time_of_day.h"
#include "core/settings/settings_table.h"

namespace ocuvell {
namespace {

std::size_t index(Shortcut s) {
    return static_cast<std::size_t>(s);
}

Setting keySetting(Shortcut s) {
    return static_cast<Setting>(static_cast<int>(Setting::KeyBrighter) + static_cast<int>(s));
}

} // namespace

Model::Model(std::unique_ptr<Display> display, Clock& clock, SettingsPlace& place)
    : place_(place), colour_(std::move(display), place), schedule_(clock), clock_(clock),
      night_(clock) {}

void Model::attach(ColourView& colour, const RestViews& rest) {
    colour_.setView(&colour);
    schedule_.attach(rest);
}

void Model::detach(const RestViews& rest) {
    colour_.setView(nullptr);
    schedule_.detach(rest);
}

void Model::loadRestSettings() {
    // Absent or unusable rest numbers (a first start reads the key names) would leave
    // the schedule nothing to count with; the schedule stands in its defaults.
    const std::string interval = readSetting(place_, Setting::Interval);
    const std::string restLength = readSetting(place_, Setting::RestLength);
    schedule_.loadStored(interval, restLength);
    schedule_.loadStoredReminders(
        flagOn(Setting::Reminders, readSetting(place_, Setting::Reminders)));
}

bool Model::storedEyeMode() const {
    return flagOn(Setting::EyeMode, readSetting(place_, Setting::EyeMode));
}

void Model::save() {
    // The rest numbers in use: a box left holding something unusable through Back
    // would otherwise be stored and lose the user's last good value at the next start.
    writeSetting(place_, Setting::Interval, std::optional<std::string>(schedule_.intervalToSave()));
    writeSetting(place_, Setting::RestLength,
                 std::optional<std::string>(schedule_.restLengthToSave()));
    // Stored as it always was: "1" or "0".
    writeSetting(place_, Setting::Reminders, schedule_.remindersOn() ? 1 : 0);
    colour_.saveLevels();
    // Unset until the eye-protection switch was first used: the key is removed.
    writeSetting(place_, Setting::EyeMode, colour_.eyeModeFlag());
}

void Model::loadMoreSettings() {
    schedule_.setDeferFullscreen(
        flagOn(Setting::DeferFullscreen, readSetting(place_, Setting::DeferFullscreen)));
    schedule_.setAwayCountsAsRest(
        flagOn(Setting::AwayCountsAsRest, readSetting(place_, Setting::AwayCountsAsRest)));
    schedule_.setPostponeMinutes(storedNumberOrDefault(
        readSetting(place_, Setting::PostponeMinutes), Setting::PostponeMinutes));
    for (Shortcut s : kShortcuts) {
        // An absent key reads as its own name: no shortcut.
        const std::string text = readSetting(place_, keySetting(s));
        keyTexts_[index(s)] = text == row(keySetting(s)).key ? std::string() : text;
    }
}

void Model::stepLevel(Level level, int delta) {
    colour_.setLevel(level, colour_.level(level) + delta);
}

void Model::setEyeMode(bool on) {
    if (on)
        colour_.eyeModeOn();
    else
        colour_.eyeModeOff();
}

void Model::restNow() {
    schedule_.acceptTip();
}

void Model::restLater(std::optional<int> minutes) {
    if (minutes)
        schedule_.restLater(*minutes);
    else
        schedule_.restLater();
}

void Model::runShortcut(Shortcut action) {
    switch (action) {
    case Shortcut::Brighter:
        return stepLevel(Level::Brightness, kBrightnessKeyStep);
    case Shortcut::Darker:
        return stepLevel(Level::Brightness, -kBrightnessKeyStep);
    case Shortcut::Eye:
        return setEyeMode(!colour_.eyeModeIsOn());
    case Shortcut::RestNow:
        return restNow();
    case Shortcut::RestLater:
        return restLater();
    }
}

void Model::setShortcutKeys(ShortcutKeys* keys) {
    keys_ = keys;
    for (Shortcut s : kShortcuts)
        keyTakes_[index(s)] = keys_ ? keys_->take(s, keyTexts_[index(s)]) : KeyTake::None;
}

const std::string& Model::shortcutKey(Shortcut action) const {
    return keyTexts_[index(action)];
}

KeyTake Model::shortcutTake(Shortcut action) const {
    return keyTakes_[index(action)];
}

void Model::setShortcutKey(Shortcut action, const std::string& keyText) {
    const auto store = [this](Shortcut s, const std::string& text) {
        keyTexts_[index(s)] = text;
        writeSetting(place_, keySetting(s),
                     text.empty() ? std::nullopt : std::optional<std::string>(text));
        if (keys_)
            keyTakes_[index(s)] = keys_->take(s, text);
    };
    if (!keyText.empty())
        for (Shortcut other : kShortcuts)
            if (other != action && keyTexts_[index(other)] == keyText)
                store(other, std::string());
    store(action, keyText);
}

void Model::setDeferFullscreen(bool on) {
    schedule_.setDeferFullscreen(on);
    writeSetting(place_, Setting::DeferFullscreen, on ? 1 : 0);
}

void Model::setAwayCountsAsRest(bool on) {
    schedule_.setAwayCountsAsRest(on);
    writeSetting(place_, Setting::AwayCountsAsRest, on ? 1 : 0);
}

void Model::setPostponeMinutes(int minutes) {
    schedule_.setPostponeMinutes(minutes);
    writeSetting(place_, Setting::PostponeMinutes, schedule_.postponeMinutes());
}

namespace {

int storedMinute(const std::string& text, Setting s) {
    const std::optional<int> minute = parseTimeOfDay(text);
    return minute ? *minute : row(s).neutral;
}

// Absent or unusable: the city of the system's time zone, else the fixed times.
std::string placeOrDefault(const std::string& stored) {
    if (stored == kFixedTimesPlace || placeOfText(stored))
        return stored;
    const City* city = cityOfZone(systemZoneName());
    return city ? city->zone : std::string(kFixedTimesPlace);
}

} // namespace

void Model::loadNightSettings() {
    NightChoice choice;
    choice.on = flagOn(Setting::NightColour, readSetting(place_, Setting::NightColour));
    choice.kelvin =
        storedNumberOrDefault(readSetting(place_, Setting::NightKelvin), Setting::NightKelvin);
    nightPlace_ = placeOrDefault(readSetting(place_, Setting::NightPlace));
    choice.place = placeOfText(nightPlace_);
    choice.from = storedMinute(readSetting(place_, Setting::NightFrom), Setting::NightFrom);
    choice.to = storedMinute(readSetting(place_, Setting::NightTo), Setting::NightTo);
    // The display may still show the tint a run that ended at night left there: while night
    // colour is on, the first look puts what it should show now.
    chooseNight(choice, choice.on);
}

void Model::chooseNight(NightChoice choice, bool force) {
    night_.choose(choice);
    colour_.setTint(night_.factors(), force);
    if (nightWake_)
        nightWake_(night_.msUntilNextLook());
}

void Model::lookAtNight() {
    night_.look();
    colour_.setTint(night_.factors());
    if (nightWake_)
        nightWake_(night_.msUntilNextLook());
}

void Model::setNightOn(bool on) {
    NightChoice choice = night_.choice();
    choice.on = on;
    writeSetting(place_, Setting::NightColour, on ? 1 : 0);
    chooseNight(choice);
}

void Model::setNightKelvin(int kelvin) {
    NightChoice choice = night_.choice();
    choice.kelvin =
        std::clamp(kelvin, row(Setting::NightKelvin).min, row(Setting::NightKelvin).max);
    writeSetting(place_, Setting::NightKelvin, choice.kelvin);
    chooseNight(choice);
}

bool Model::setNightPlace(const std::string& text) {
    if (text != kFixedTimesPlace && !placeOfText(text))
        return false;
    nightPlace_ = text;
    NightChoice choice = night_.choice();
    choice.place = placeOfText(text);
    writeSetting(place_, Setting::NightPlace, std::optional<std::string>(text));
    chooseNight(choice);
    return true;
}

void Model::setNightTimes(int fromMinute, int toMinute) {
    NightChoice choice = night_.choice();
    choice.from = addMinutes(fromMinute, 0);
    choice.to = addMinutes(toMinute, 0);
    writeSetting(place_, Setting::NightFrom,
                 std::optional<std::string>(formatTimeOfDay(choice.from)));
    writeSetting(place_, Setting::NightTo, std::optional<std::string>(formatTimeOfDay(choice.to)));
    chooseNight(choice);
}

void Model::pauseNightHour() {
    night_.pauseHour();
    lookAtNight();
}

void Model::pauseNightUntilNextChange() {
    night_.pauseUntilNextChange();
    lookAtNight();
}

std::optional<int> Model::nightShownUntilMinute() const {
    return localMinuteOf(night_.shownUntil());
}

std::optional<int> Model::nightPausedUntilMinute() const {
    return localMinuteOf(night_.pausedUntil());
}

std::optional<int> Model::localMinuteOf(std::optional<long long> until) const {
    if (!until)
        return std::nullopt;
    const long long local = *until + clock_.utcOffsetAt(*until);
    return static_cast<int>(((local / 60) % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay);
}

void Model::sessionAway(RestSchedule::Away how) {
    schedule_.sessionAway(how);
}

void Model::displayChanged() {
    colour_.refreshDisplay();
}

void Model::sessionBack() {
    colour_.engine().reapply();
    schedule_.sessionBack();
    // Time went by unseen: the night's colour may have moved on.
    if (night_.choice().on)
        lookAtNight();
}

} // namespace ocuvell
