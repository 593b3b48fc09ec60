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

} // namespace ocuvell
