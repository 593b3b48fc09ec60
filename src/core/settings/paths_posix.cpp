// The program's paths on POSIX systems.
#include "core/settings/paths_platform.h"

#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <system_error>
#include <unistd.h>

namespace ocuvell::detail {
namespace fs = std::filesystem;

fs::path homeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

fs::path executablePath() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe;
}

bool canWriteIn(const fs::path& dir) {
    // The effective ids decide, as they do for open; a read-only mount answers EROFS.
    // Creating a probe file would tell no more and could be left behind by a kill.
    return ::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

fs::path userConfigBase() {
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && fs::path(xdg).is_absolute())
        return xdg;
    fs::path home = homeDirectory();
    return home.empty() ? fs::path() : home / ".config";
}

} // namespace ocuvell::detail
