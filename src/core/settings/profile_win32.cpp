// The profile functions on a file, through Windows' own: each call hands the whole request
// to GetPrivateProfileStringW / WritePrivateProfileStringW, which read or rewrite the file
// on the spot.
//
// The path goes over in its wide form, so a folder outside the ANSI code page (a Chinese
// user name on an English Windows) is reached. Names and values go over as the ANSI
// functions would send them: converted from the ANSI code page, and a file that is not
// already Unicode is written back in it. The file keeps the bytes it always had.
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

std::wstring fromAnsi(std::string_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), n);
    return wide;
}

std::string toAnsi(std::wstring_view wide) {
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
    // Every character takes at least one byte in the ANSI code page (a surrogate pair at
    // least one for its two units), so twice the byte count in units always holds the
    // bufferSize - 1 bytes an ANSI caller would get.
    std::vector<wchar_t> buffer(2 * bufferSize + 2, L'\0');
    const DWORD copied = ::GetPrivateProfileStringW(
        fromAnsi(section).c_str(), fromAnsi(key).c_str(), fromAnsi(defaultValue).c_str(),
        buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    std::string value =
        toAnsi(std::wstring_view(buffer.data(), std::min<std::size_t>(copied, buffer.size() - 1)));
    value.resize(std::min(value.size(), bufferSize - 1));
    return value;
}

bool profileWrite(const fs::path& file, std::string_view section, std::string_view key,
                  const std::optional<std::string>& value, std::string* why) {
    // Windows would store a line break or a name that reads back as another one; the
    // portable writer refuses those, and so does this one, so both store the same files.
    if (!profileStorable(section, key, value))
        return fail(why, "the name or the value cannot be stored in the file");
    // No value at all (not an empty one) asks the function to remove the key.
    const std::wstring wideValue = value ? fromAnsi(*value) : std::wstring();
    const BOOL stored =
        ::WritePrivateProfileStringW(fromAnsi(section).c_str(), fromAnsi(key).c_str(),
                                     value ? wideValue.c_str() : nullptr, file.c_str());
    return stored || fail(why, "Windows error " +
                                   std::to_string(static_cast<unsigned long>(::GetLastError())));
}

} // namespace ocuvell
