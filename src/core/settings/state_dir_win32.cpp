// The state folder and its file writes on Windows.
#include "core/settings/state_dir.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <system_error>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

// The variable's folder; nothing when it is unset or not a whole path (a relative one
// would put the record wherever the program happened to be started from).
fs::path environmentPath(const wchar_t* name) {
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    const DWORD n = ::GetEnvironmentVariableW(name, value.data(), size);
    value.resize(n);
    const fs::path path(value);
    return path.is_absolute() ? path : fs::path();
}

bool fail(std::string* why, const std::string& what) {
    if (why)
        *why = what + ": " + std::system_category().message(static_cast<int>(::GetLastError()));
    return false;
}

} // namespace

fs::path stateDirectory() {
    fs::path local = environmentPath(L"LOCALAPPDATA");
    if (local.empty()) {
        const fs::path profile = environmentPath(L"USERPROFILE");
        if (profile.empty())
            return {};
        local = profile / "AppData" / "Local";
    }
    return local / "Ocuvell";
}

bool replaceStateFile(const fs::path& file, std::string_view bytes, std::string* why) {
    static std::atomic<unsigned> counter{0};
    const fs::path dir = file.parent_path();
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (dir.empty() || !fs::is_directory(dir, ec)) {
        if (why)
            *why = "cannot create " + dir.string();
        return false;
    }
    const fs::path temp =
        dir / ("." + file.filename().string() + ".tmp-" + std::to_string(::GetCurrentProcessId()) +
               "-" + std::to_string(counter++));
    HANDLE h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return fail(why, "cannot create " + temp.string());
    DWORD written = 0;
    bool ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size() && ::FlushFileBuffers(h);
    DWORD saved = ::GetLastError();
    ::CloseHandle(h);
    if (ok && !::MoveFileExW(temp.c_str(), file.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        saved = ::GetLastError();
    }
    if (!ok) {
        ::DeleteFileW(temp.c_str());
        ::SetLastError(saved);
        return fail(why, "cannot write " + file.string());
    }
    return true;
}

} // namespace ocuvell
