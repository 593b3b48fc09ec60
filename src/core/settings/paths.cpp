// Where the program's files are. The settings go beside the executable as they always
// have, unless that folder cannot be written (an installed copy): then every setting would
// be lost without a word, so they go to the user's configuration folder instead.
//
// The choice is made once per run and made again only after a write has failed: asking
// on every call let a passing failure send one write to one folder and the following reads
// to the other, and the change was lost.
#include "core/settings/paths.h"

#include "core/settings/paths_platform.h"

#include <mutex>
#include <optional>
#include <system_error>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

constexpr const char* kConfigFileName = "config.ini";
constexpr const char* kFolderName = "Ocuvell";

struct Decision {
    std::mutex mutex;
    fs::path programOverride;
    std::optional<fs::path> settings; // decided for this run
};

Decision& state() {
    static Decision d;
    return d;
}

// An installed copy may ship a config.ini beside the executable: the user's own file
// starts from it, as the settings it holds are the ones the program was meant to start
// with.
void seedFromProgramCopy(const fs::path& userFile, const fs::path& programDir) {
    std::error_code ec;
    // A dangling link counts as there: nothing is copied through it. (A missing file sets
    // ec too, so only other errors stop the seeding.)
    const fs::file_status st = fs::symlink_status(userFile, ec);
    if (fs::exists(st) || (ec && ec != std::errc::no_such_file_or_directory))
        return;
    fs::path shipped = programDir / kConfigFileName;
    if (fs::is_regular_file(shipped, ec))
        fs::copy_file(shipped, userFile, ec);
}

// An installed copy has its data folder beside its program folder (bin/ and
// share/ocuvell/): its settings are the user's, even for a user who could write into
// the program's folder (root, or a user's own prefix).
bool isInstalledCopy(const fs::path& programDir) {
    std::error_code ec;
    return fs::is_directory(programDir.parent_path() / "share" / "ocuvell", ec);
}

fs::path decideSettingsDirectory(const fs::path& programDir) {
    if (!isInstalledCopy(programDir) && detail::canWriteIn(programDir))
        return programDir;
    fs::path user = userConfigDirectory();
    std::error_code ec;
    fs::create_directories(user, ec);
    // With nowhere to write, the program's own copy can at least still be read.
    if (!fs::is_directory(user, ec) || !detail::canWriteIn(user))
        return programDir;
    seedFromProgramCopy(user / kConfigFileName, programDir);
    return user;
}

} // namespace

fs::path programDirectory() {
    {
        std::lock_guard lock(state().mutex);
        if (!state().programOverride.empty())
            return state().programOverride;
    }
    fs::path exe = detail::executablePath();
    if (exe.empty()) {
        std::error_code ec;
        return fs::current_path(ec);
    }
    // At the root of a drive this is "C:\", which joins without a doubled separator.
    return exe.parent_path();
}

bool installedCopy() {
    return isInstalledCopy(programDirectory());
}

fs::path userConfigDirectory() {
    fs::path base = detail::userConfigBase();
    if (base.empty())
        return programDirectory();
    return base / kFolderName;
}

fs::path settingsDirectory() {
    {
        std::lock_guard lock(state().mutex);
        if (state().settings)
            return *state().settings;
    }
    fs::path dir = decideSettingsDirectory(programDirectory());
    std::lock_guard lock(state().mutex);
    if (!state().settings)
        state().settings = dir;
    return *state().settings;
}

fs::path configPath() {
    return settingsDirectory() / kConfigFileName;
}

void reconsiderSettingsDirectory() {
    std::lock_guard lock(state().mutex);
    state().settings.reset();
}

void setProgramDirectoryForTesting(const fs::path& dir) {
    std::lock_guard lock(state().mutex);
    state().programOverride = dir;
    state().settings.reset();
}

} // namespace ocuvell
