#pragma once
// Where the program keeps its files (config.ini, monitor.txt).
#include <filesystem>

namespace ocuvell {

// The folder of the running executable.
std::filesystem::path programDirectory();
// Where config.ini lives: the program's directory when it is writable, else the
// user's configuration folder ($XDG_CONFIG_HOME/Ocuvell, ~/.config/Ocuvell,
// %APPDATA%\Ocuvell), created on demand. Decided on the first call of a run; the same
// answer holds until reconsiderSettingsDirectory().
std::filesystem::path settingsDirectory();
std::filesystem::path configPath();
// Whether this is an installed copy (a data folder share/ocuvell beside the program's
// folder): its settings are always in the user's configuration folder.
bool installedCopy();
// The user's configuration folder, whether or not it is in use.
std::filesystem::path userConfigDirectory();
// After a write failed: the next call decides afresh (the folder may have become
// read-only, or writable again).
void reconsiderSettingsDirectory();
// Tests point the program's directory elsewhere; an empty path undoes it. Either way the
// settings folder is decided afresh.
void setProgramDirectoryForTesting(const std::filesystem::path& dir);

} // namespace ocuvell
