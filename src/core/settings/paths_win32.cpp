// The program's paths on Windows.
#include "core/settings/paths_platform.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace ocuvell::detail {
namespace {

namespace fs = std::filesystem;

// The wide form throughout: a user name outside the ANSI code page (a Chinese name on an
// English Windows) has no narrow spelling at all.
std::wstring environment(const wchar_t* name) {
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    const DWORD n = ::GetEnvironmentVariableW(name, value.data(), size);
    value.resize(n < size ? n : 0);
    return value;
}

} // namespace

fs::path executablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return fs::path(buffer);
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
    const std::wstring appData = environment(L"APPDATA");
    if (!appData.empty())
        return fs::path(appData);
    const std::wstring profile = environment(L"USERPROFILE");
    if (!profile.empty())
        return fs::path(profile) / "AppData" / "Roaming";
    return {};
}

} // namespace ocuvell::detail
