#include "core/model/model.h"

#include "core/settings/settings_table.h"

namespace ocuvell {

// The schedule keeps its own copies of the rest bounds; they must be the table's.
static_assert(spec(Setting::Interval).neutral == RestSchedule::kDefaultInterval);
static_assert(spec(Setting::RestLength).neutral == RestSchedule::kDefaultRestLength);
static_assert(spec(Setting::Interval).min == RestSchedule::kMinInterval);
static_assert(spec(Setting::RestLength).max == RestSchedule::kMaxRestLength);

Model::Model(std::unique_ptr<Display> display, Clock& clock)
    : colour_(std::move(display)), schedule_(clock) {}

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
    const std::string interval = readSetting(Setting::Interval);
    const std::string restLength = readSetting(Setting::RestLength);
    schedule_.loadStored(interval, restLength);
    schedule_.loadStoredReminders(flagOn(Setting::Reminders, readSetting(Setting::Reminders)));
}

bool Model::storedEyeMode() const {
    return flagOn(Setting::EyeMode, readSetting(Setting::EyeMode));
}

void Model::save() const {
    // The rest numbers in use: a box left holding something unusable through Back
    // would otherwise be stored and lose the user's last good value at the next start.
    writeSetting(Setting::Interval, std::optional<std::string>(schedule_.intervalToSave()));
    writeSetting(Setting::RestLength, std::optional<std::string>(schedule_.restLengthToSave()));
    // Stored as it always was: "1" or "0".
    writeSetting(Setting::Reminders, schedule_.remindersOn() ? 1 : 0);
    colour_.saveLevels();
    // Unset until the eye-protection switch was first used: the key is removed.
    writeSetting(Setting::EyeMode, colour_.Pdeyerun());
}

} // namespace ocuvell
