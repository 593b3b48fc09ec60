#pragma once
// What paths.cpp asks of the system: one file per platform answers it.
#include <filesystem>

namespace ocuvell::detail {

// The running executable, or an empty path when the system cannot tell.
std::filesystem::path executablePath();
// Whether this process may create files in dir. Asked once per run, so it must not leave
// anything behind.
bool canWriteIn(const std::filesystem::path& dir);
// The base of the user's configuration folders, or an empty path.
std::filesystem::path userConfigBase();
// The user's home folder ($HOME, else the user database), or an empty path. Asked by the
// POSIX files only; Windows names its folders by other variables.
std::filesystem::path homeDirectory();

} // namespace ocuvell::detail
