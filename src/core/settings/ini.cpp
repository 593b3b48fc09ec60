// The settings file through the profile functions, with the arguments the program has
// always passed: the key's own name as default, a buffer of 255 characters sized 256.
#include "core/settings/ini.h"

#include "core/settings/paths.h"
#include "core/settings/profile.h"
#include "core/settings/settings_problem.h"

#include <algorithm>

namespace ocuvell {
namespace {
constexpr std::size_t kReadBufferSize = 256;
}

std::string iniread(const std::string& section, const std::string& key) {
    std::string text = profileRead(configPath(), section, key, key, kReadBufferSize);
    // The caller has always taken the buffer's text up to its first NUL.
    text.resize(std::min(text.size(), text.find('\0')));
    return text;
}

void iniwrite(const std::string& section, const std::string& key,
              const std::optional<std::string>& value) {
    // The program goes on with its values either way.
    const std::uint64_t reportedBefore = settingsProblemsReported();
    const std::filesystem::path file = configPath();
    if (profileWrite(file, section, key, value))
        return;
    // The write usually says why itself; the system's own profile functions do not.
    if (settingsProblemsReported() == reportedBefore)
        reportSettingsProblem({SettingsProblem::Kind::Write, file, "the system refused the write"});
    // The folder may have become read-only, or the user's folder writable: look again.
    reconsiderSettingsDirectory();
}

} // namespace ocuvell
