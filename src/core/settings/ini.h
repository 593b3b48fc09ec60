#pragma once
// The settings file "config.ini": one key of one section per call, nothing cached, in the
// place this run keeps its settings.
#include "core/settings/settings_place.h"

#include <optional>
#include <string>

namespace ocuvell {

// The stored value (at most 255 bytes), or the key's own name when the file, the
// section or the key is absent.
std::string readIniValue(SettingsPlace& place, const std::string& section, const std::string& key);
// Writes value; std::nullopt removes the key. Never leaves a half-written file. A write the
// settings' folder refuses is told, and made again where the settings then go.
void writeIniValue(SettingsPlace& place, const std::string& section, const std::string& key,
                   const std::optional<std::string>& value);

} // namespace ocuvell
