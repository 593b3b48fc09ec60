#include "core/model/model.h"

#include "core/settings/settings_table.h"

namespace ocuvell {

// The schedule keeps its own copies of the rest bounds; they must be the table's.
static_assert(row(Setting::Interval).neutral == RestSchedule::kDefaultInterval);
static_assert(row(Setting::RestLength).neutral == RestSchedule::kDefaultRestLength);
static_assert(row(Setting::RestLength).max == RestSchedule::kMaxRestLength);

Model::Model(std::unique_ptr<Display> display, Clock& clock, SettingsPlace& place)
    : place_(place), colour_(std::move(display), place), schedule_(relay_, clock) {}

void Model::attach(RestPanel& panel, ColourView& view) {
    relay_.attach(&panel);
    colour_.setView(&view);
}

void Model::detach() {
    relay_.attach(nullptr);
    colour_.setView(nullptr);
}

std::string Model::loadRestSettings() {
    // Absent or unusable rest numbers (a first start reads the key names) would leave
    // the schedule nothing to count with; the schedule puts its defaults in the boxes.
    const std::string mei = readSetting(place_, Setting::Interval);
    const std::string xiuxi = readSetting(place_, Setting::RestLength);
    schedule_.loadStored(mei, xiuxi);
    return readSetting(place_, Setting::Reminders);
}

std::string Model::readEyeFlag() const {
    return readSetting(place_, Setting::EyeMode);
}

void Model::save() const {
    // The rest numbers in use: a box left holding something unusable through Back
    // would otherwise be stored and lose the user's last good value at the next start.
    writeSetting(place_, Setting::Interval, std::optional<std::string>(schedule_.meiToSave()));
    writeSetting(place_, Setting::RestLength, std::optional<std::string>(schedule_.xiuxiToSave()));
    writeSetting(place_, Setting::Reminders, std::optional<std::string>(schedule_.pdrunToSave()));
    colour_.saveLevels();
    // Unset until the eye-protection switch was first used: the key is removed.
    writeSetting(place_, Setting::EyeMode, colour_.Pdeyerun());
}

} // namespace ocuvell
