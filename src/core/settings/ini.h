#pragma once
// The settings file "config.ini": one key of one section per call, nothing cached.
#include <optional>
#include <string>

namespace ocuvell {

// The stored value (at most 255 bytes), or the key's own name when the file, the
// section or the key is absent.
std::string iniread(const std::string& section, const std::string& key);
// Writes value; std::nullopt removes the key. Never leaves a half-written file.
void iniwrite(const std::string& section, const std::string& key,
              const std::optional<std::string>& value);

} // namespace ocuvell
