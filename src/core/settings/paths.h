#pragma once
// The folders the system names for the program: where its executable is, and the user's
// configuration folder. Asked, never stored.
#include <filesystem>

namespace ocuvell {

// The folder of the running executable.
std::filesystem::path programDirectory();
// The user's configuration folder ($XDG_CONFIG_HOME/Ocuvell, ~/.config/Ocuvell,
// %APPDATA%\Ocuvell), whether or not it is in use; the program's folder when the system
// names none.
std::filesystem::path userConfigDirectory();
// An installed copy's data folder (share/ocuvell), beside its program folder: bin/ for a
// program that is its own start, or libexec/ocuvell/ for the window program a launcher in
// bin/ starts. Empty for a copy that is not installed.
std::filesystem::path installedDataDirectory(const std::filesystem::path& programDir);

} // namespace ocuvell
