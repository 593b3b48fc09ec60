// The profile functions on a file, through Windows' own: each call hands the whole request
// to GetPrivateProfileStringA / WritePrivateProfileStringA, which read or rewrite the file
// on the spot.
#include "core/settings/profile.h"

#ifndef NOMINMAX
#define NOMINMAX // keep std::min and std::max usable under MSVC
#endif
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

// The ANSI functions take the path in the system's code page. The path's wide form is the
// true one, so convert that rather than trusting the runtime's narrow conversion.
std::string ansiPath(const fs::path& file) {
    const std::wstring& wide = file.native();
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int n = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, narrow.data(), n, nullptr, nullptr);
    return narrow;
}

bool fail(std::string* why, std::string text) {
    if (why)
        *why = std::move(text);
    return false;
}

} // namespace

std::string profileRead(const fs::path& file, std::string_view section, std::string_view key,
                        std::string_view defaultValue, std::size_t bufferSize, std::string* why) {
    // The system's function reads what it can and says nothing of a file it cannot read.
    if (why)
        why->clear();
    if (bufferSize == 0)
        return {};
    // The buffer really holds bufferSize bytes: the function may fill all of them,
    // terminating NUL included.
    std::vector<char> buffer(bufferSize, '\0');
    const DWORD copied = ::GetPrivateProfileStringA(
        std::string(section).c_str(), std::string(key).c_str(), std::string(defaultValue).c_str(),
        buffer.data(), static_cast<DWORD>(bufferSize), ansiPath(file).c_str());
    return std::string(buffer.data(), std::min<std::size_t>(copied, bufferSize - 1));
}

bool profileWrite(const fs::path& file, std::string_view section, std::string_view key,
                  const std::optional<std::string>& value, std::string* why) {
    const std::string path = ansiPath(file);
    // Windows would store a line break or a name that reads back as another one; the
    // portable writer refuses those, and so does this one, so both store the same files.
    if (!profileStorable(section, key, value))
        return fail(why, "the name or the value cannot be stored in the file");
    // No value at all (not an empty one) asks the function to remove the key.
    const BOOL stored =
        ::WritePrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                     value ? value->c_str() : nullptr, path.c_str());
    return stored || fail(why, "Windows error " +
                                   std::to_string(static_cast<unsigned long>(::GetLastError())));
}

} // namespace ocuvell
