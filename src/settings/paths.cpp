// Where the program's files are. The settings go beside the executable as they always
// have, unless that folder cannot be written (an installed copy): then every setting would
// be lost without a word, so they go to the user's configuration folder instead.
#include "settings/paths.h"

#include <cstdlib>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>
#endif

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

constexpr const char* kConfigFileName = "config.ini";
constexpr const char* kFolderName = "Ocuvell";

fs::path& programDirectoryOverride() {
    static fs::path dir;
    return dir;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

#ifdef _WIN32

fs::path executablePath() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            // The name is in the ANSI code page; the C++ runtime would read it as UTF-8
            // and mangle any folder name outside ASCII.
            const int size = static_cast<int>(n);
            int wide = MultiByteToWideChar(CP_ACP, 0, buffer.data(), size, nullptr, 0);
            std::wstring name(static_cast<std::size_t>(wide), L'\0');
            MultiByteToWideChar(CP_ACP, 0, buffer.data(), size, name.data(), wide);
            return fs::path(name);
        }
        buffer.resize(buffer.size() * 2);
    }
}

// Creating a file is the only sure test: folder rights, read-only media and virtualised
// folders all answer it truthfully.
bool canCreateFileIn(const fs::path& dir) {
    for (unsigned attempt = 0; attempt < 8; ++attempt) {
        fs::path probe = dir / (".ocuvell-probe-" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(attempt));
        HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

fs::path userConfigBase() {
    std::string appData = environment("APPDATA");
    if (!appData.empty())
        return appData;
    std::string profile = environment("USERPROFILE");
    if (!profile.empty())
        return fs::path(profile) / "AppData" / "Roaming";
    return {};
}

#else

fs::path executablePath() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe;
}

bool canCreateFileIn(const fs::path& dir) {
    for (unsigned attempt = 0; attempt < 8; ++attempt) {
        fs::path probe =
            dir / (".ocuvell-probe-" + std::to_string(::getpid()) + "-" + std::to_string(attempt));
        int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.c_str());
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

fs::path homeDirectory() {
    std::string home = environment("HOME");
    if (!home.empty())
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

fs::path userConfigBase() {
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    fs::path xdg = environment("XDG_CONFIG_HOME");
    if (xdg.is_absolute())
        return xdg;
    fs::path home = homeDirectory();
    return home.empty() ? fs::path() : home / ".config";
}

#endif

// An installed copy may ship a config.ini beside the executable: the user's own file
// starts from it, as the settings it holds are the ones the program was meant to start
// with.
void seedFromProgramCopy(const fs::path& userFile) {
    std::error_code ec;
    if (fs::exists(userFile, ec) || ec)
        return;
    fs::path shipped = programDirectory() / kConfigFileName;
    if (fs::is_regular_file(shipped, ec))
        fs::copy_file(shipped, userFile, ec);
}

} // namespace

fs::path programDirectory() {
    if (!programDirectoryOverride().empty())
        return programDirectoryOverride();
    fs::path exe = executablePath();
    if (exe.empty()) {
        std::error_code ec;
        return fs::current_path(ec);
    }
    // At the root of a drive this is "C:\", which joins without a doubled separator.
    return exe.parent_path();
}

fs::path userConfigDirectory() {
    fs::path base = userConfigBase();
    if (base.empty())
        return programDirectory();
    return base / kFolderName;
}

fs::path settingsDirectory() {
    fs::path dir = programDirectory();
    if (canCreateFileIn(dir))
        return dir;
    fs::path user = userConfigDirectory();
    std::error_code ec;
    fs::create_directories(user, ec);
    // With nowhere to write, the program's own copy can at least still be read.
    if (!fs::is_directory(user, ec))
        return dir;
    return user;
}

fs::path configPath() {
    fs::path dir = settingsDirectory();
    fs::path file = dir / kConfigFileName;
    if (dir != programDirectory())
        seedFromProgramCopy(file);
    return file;
}

void setProgramDirectoryForTesting(const fs::path& dir) {
    programDirectoryOverride() = dir;
}

} // namespace ocuvell
