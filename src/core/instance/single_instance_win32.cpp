#include "core/instance/single_instance.h"

#include <windows.h>

namespace ocuvell {
namespace {

// A named mutex in the session's namespace. The system closes the handle when the
// holder ends in any way, so a crashed instance never blocks the next start.
class MutexInstance : public SingleInstance {
  public:
    explicit MutexInstance(HANDLE mutex) : mutex_(mutex) {}
    ~MutexInstance() override { ::CloseHandle(mutex_); }

  private:
    HANDLE mutex_;
};

// In the session's namespace, under the maker's and the program's names so that no other
// program's object is taken for ours; the installer looks for the same name. Kernel object
// names take a backslash only after the namespace prefix.
std::wstring mutexName(const std::string& name) {
    std::wstring safe(name.begin(), name.end()); // the names are ASCII
    for (wchar_t& c : safe)
        if (c == L'\\')
            c = L'_';
    return L"Local\\Tevaro.Ocuvell." + safe;
}

} // namespace

std::unique_ptr<SingleInstance> claimSingleInstance(const std::string& name) {
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, mutexName(name).c_str());
    const DWORD error = ::GetLastError();
    if (!mutex) {
        // Denied: the mutex exists but belongs to someone we may not open, such as an
        // instance started elevated. Anything else: cannot tell, better to run.
        if (error == ERROR_ACCESS_DENIED)
            return nullptr;
        return std::make_unique<SingleInstance>();
    }
    if (error == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return nullptr;
    }
    return std::make_unique<MutexInstance>(mutex);
}

} // namespace ocuvell
