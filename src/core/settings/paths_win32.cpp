// The program's paths on Windows.
#include "core/settings/paths_platform.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdlib>
#include <string>

namespace ocuvell::detail {
namespace {

namespace fs = std::filesystem;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

} // namespace

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

// Creating a file is the only sure test here: folder rights, read-only media and
// virtualised folders all answer it truthfully, where the attributes and access lists
// do not. The system deletes the probe when its handle closes, also when the process is
// killed, so nothing is left behind; and it runs once per run.
bool canWriteIn(const fs::path& dir) {
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

} // namespace ocuvell::detail
