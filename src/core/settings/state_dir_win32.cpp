// The state folder on Windows.
#include "core/settings/state_dir.h"

#include <windows.h>

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

} // namespace ocuvell
