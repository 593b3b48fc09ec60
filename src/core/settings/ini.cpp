// The settings file through the profile functions, with the arguments the program has
// always passed: the key's own name as default, a buffer of 255 characters sized 256.
#include "core/settings/ini.h"

#include "core/settings/profile.h"

#include <algorithm>

namespace ocuvell {
namespace {

constexpr std::size_t kReadBufferSize = 256;

bool writeTo(SettingsPlace& place, const std::string& section, const std::string& key,
             const std::optional<std::string>& value, bool& moved) {
    const std::filesystem::path file = place.configPath();
    std::string why;
    if (profileWrite(file, section, key, value, &why))
        return true;
    moved = place.writeFailed(file, why);
    return false;
}

} // namespace

std::string readIniValue(SettingsPlace& place, const std::string& section, const std::string& key) {
    const std::filesystem::path file = place.configPath();
    std::string why;
    std::string text = profileRead(file, section, key, key, kReadBufferSize, &why);
    if (!why.empty())
        place.readFailed(file, why);
    // The caller has always taken the buffer's text up to its first NUL.
    text.resize(std::min(text.size(), text.find('\0')));
    return text;
}

void writeIniValue(SettingsPlace& place, const std::string& section, const std::string& key,
                   const std::optional<std::string>& value) {
    // The program goes on with its values either way. When the failure moved the settings
    // to the user's folder, the change goes there, not only the ones after it.
    bool moved = false;
    if (!writeTo(place, section, key, value, moved) && moved)
        writeTo(place, section, key, value, moved);
}

} // namespace ocuvell
