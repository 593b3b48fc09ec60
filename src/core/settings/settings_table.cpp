#include "core/settings/settings_table.h"

#include "core/io/number_text.h"
#include "core/settings/ini.h"

#include <algorithm>

namespace ocuvell {

// The enumeration indexes the table: each row must sit at its own place.
static_assert([] {
    for (std::size_t i = 0; i < kSettings.size(); ++i)
        if (static_cast<std::size_t>(kSettings[i].setting) != i)
            return false;
    for (std::size_t i = 0; i < kMoreSettings.size(); ++i)
        if (static_cast<std::size_t>(kMoreSettings[i].setting) != kSettings.size() + i)
            return false;
    return true;
}());

std::string readSetting(SettingsPlace& place, Setting s) {
    return readIniValue(place, row(s).section, row(s).key);
}

void writeSetting(SettingsPlace& place, Setting s, const std::optional<std::string>& text) {
    writeIniValue(place, row(s).section, row(s).key, text);
}

void writeSetting(SettingsPlace& place, Setting s, int value) {
    writeSetting(place, s, std::optional<std::string>(std::to_string(value)));
}

std::optional<int> storedLevel(const std::string& text, Setting s) {
    const std::optional<int> value = parseWholeNumber(text);
    if (!value)
        return std::nullopt;
    return std::clamp(*value, row(s).min, row(s).max);
}

int storedNumberOrDefault(const std::string& text, Setting s) {
    const std::optional<int> value = parseWholeNumber(text);
    return value && *value >= row(s).min && *value <= row(s).max ? *value : row(s).neutral;
}

bool flagOn(Setting s, const std::string& text) {
    switch (row(s).flag) {
    case FlagRule::OnUnlessZero:
        return text != "0";
    case FlagRule::OnOnlyWhenOne:
        return text == "1";
    case FlagRule::NotAFlag:
        break;
    }
    return false;
}

} // namespace ocuvell
