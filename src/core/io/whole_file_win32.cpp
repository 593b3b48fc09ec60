// Whole-file writes on Windows. A user's own folders are not shared with other users as
// POSIX shared folders are, and links need rights ordinary users lack: names are taken as
// they are.
#include "core/io/whole_file.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>
#include <charconv>
#include <system_error>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

bool fail(std::string& why, DWORD error) {
    why = std::system_category().message(static_cast<int>(error));
    return false;
}

bool processGone(DWORD pid) {
    HANDLE h = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!h)
        return ::GetLastError() == ERROR_INVALID_PARAMETER; // no such process
    const bool ended = ::WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
    ::CloseHandle(h);
    return ended;
}

// A writer killed between creating its temporary file and the rename leaves the file
// behind; the next write clears those of processes that are gone.
void removeStaleTemps(const fs::path& folder, const std::wstring& prefix) {
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::wstring name = entry.path().filename().wstring();
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::wstring rest = name.substr(prefix.size());
        const std::size_t dash = rest.find(L'-');
        if (dash == std::wstring::npos || dash == 0 || dash + 1 == rest.size())
            continue;
        if (rest.find_first_not_of(L"0123456789-") != std::wstring::npos)
            continue;
        const std::string digits(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(dash));
        unsigned long pid = 0;
        const auto [end, err] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
        if (err != std::errc() || pid == 0 || pid == ::GetCurrentProcessId())
            continue;
        if (processGone(static_cast<DWORD>(pid)))
            ::DeleteFileW(entry.path().c_str());
    }
}

} // namespace

std::optional<fs::path> followOwnLinks(const fs::path& file, std::string&) {
    return file;
}

bool folderIsTheUsers(const fs::path&, std::string&) {
    return true;
}

bool replaceWholeFile(const fs::path& target, std::string_view bytes, const WholeFileWrite& how,
                      std::string& why) {
    static std::atomic<unsigned> counter{0};
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code ec;
    if (how.makeFolders)
        fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec))
        return fail(why, ERROR_PATH_NOT_FOUND);
    const std::wstring prefix = L"." + target.filename().wstring() + L".tmp-";
    removeStaleTemps(folder, prefix);

    fs::path temp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 16 && h == INVALID_HANDLE_VALUE; ++attempt) {
        temp = folder / (prefix + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                         std::to_wstring(counter++));
        h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            return fail(why, ::GetLastError());
    }
    if (h == INVALID_HANDLE_VALUE)
        return fail(why, ERROR_FILE_EXISTS);
    DWORD written = 0;
    // On disk before the rename: a crash must leave the old file or the new one.
    bool ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size() && ::FlushFileBuffers(h);
    DWORD saved = ::GetLastError();
    ::CloseHandle(h);
    // Write-through: the rename is on disk when the call returns, the folder with it.
    if (ok && !::MoveFileExW(temp.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        saved = ::GetLastError();
    }
    if (!ok) {
        ::DeleteFileW(temp.c_str());
        return fail(why, saved);
    }
    return true;
}

} // namespace ocuvell
