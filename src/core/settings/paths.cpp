#include "core/settings/paths.h"

#include "core/settings/paths_platform.h"

#include <system_error>

namespace ocuvell {

namespace fs = std::filesystem;

fs::path programDirectory() {
    fs::path exe = detail::executablePath();
    if (exe.empty()) {
        std::error_code ec;
        return fs::current_path(ec);
    }
    // At the root of a drive this is "C:\", which joins without a doubled separator.
    return exe.parent_path();
}

fs::path userConfigDirectory() {
    fs::path base = detail::userConfigBase();
    if (base.empty())
        return programDirectory();
    return base / "Ocuvell";
}

fs::path installedDataDirectory(const fs::path& programDir) {
    fs::path prefix = programDir.parent_path();
    if (programDir.filename() == "ocuvell" && prefix.filename() == "libexec")
        prefix = prefix.parent_path();
    fs::path data = prefix / "share" / "ocuvell";
    std::error_code ec;
    return fs::is_directory(data, ec) ? data : fs::path();
}

} // namespace ocuvell
