#include "core/model/model.h"

#include "core/settings/settings_table.h"

namespace ocuvell {

// The schedule keeps its own copies of the rest bounds; they must be the table's.
static_assert(row(Setting::Interval).neutral == RestSchedule::kDefaultInterval);
static_assert(row(Setting::RestLength).neutral == RestSchedule::kDefaultRestLength);
static_assert(row(Setting::Interval).min == RestSchedule::kMinInterval);
static_assert(row(Setting::RestLength).max == RestSchedule::kMaxRestLength);
static_assert(row(Setting::PostponeMinutes).neutral == RestSchedule::kDefaultPostpone);
static_assert(row(Setting::PostponeMinutes).min == RestSchedule::kMinPostpone);
static_assert(row(Setting::PostponeMinutes).max == RestSchedule::kMaxPostpone);

Model::Model(std::unique_ptr<Display> display, Clock& clock, SettingsPlace& place)
    : place_(place), colour_(std::move(display), place), schedule_(clock) {}

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

void Model::save() const {
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

void Model::sessionAway(RestSchedule::Away how) {
    schedule_.sessionAway(how);
}

void Model::sessionBack() {
    colour_.engine().reapply();
    schedule_.sessionBack();
}

} // namespace ocuvell
