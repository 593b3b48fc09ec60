// The state folder on POSIX systems.
#include "core/settings/state_dir.h"

#include "core/settings/paths_platform.h"

#include <cstdlib>

namespace ocuvell {

namespace fs = std::filesystem;

fs::path stateDirectory() {
    // A relative XDG_STATE_HOME is invalid and must be ignored.
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && fs::path(xdg).is_absolute())
        return fs::path(xdg) / "Ocuvell";
    const fs::path home = detail::homeDirectory();
    return home.empty() ? fs::path() : home / ".local" / "state" / "Ocuvell";
}

} // namespace ocuvell
