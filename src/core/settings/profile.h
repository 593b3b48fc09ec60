#pragma once
// The profile functions the settings file needs: one key of one section per call, in the
// layout of Windows' GetPrivateProfileStringA / WritePrivateProfileStringA.
//
// The text functions are pure and always built, so the Windows build can check them
// against the system's own functions. The file functions are the system's functions on
// Windows and our own implementation elsewhere.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ocuvell {

// What GetPrivateProfileStringA puts in a buffer of bufferSize bytes, reading fileText
// (an absent file is empty text): the value of the first key named key in the first
// section named section, at most bufferSize - 1 bytes, or defaultValue without its
// trailing spaces when the section or the key is absent. Names match without regard to
// ASCII letter case; spaces around the names passed in are ignored.
std::string profileReadText(std::string_view fileText, std::string_view section,
                            std::string_view key, std::string_view defaultValue,
                            std::size_t bufferSize);

// The file's bytes after WritePrivateProfileStringA(section, key, value): the key's line
// replaced or added, or removed when value is std::nullopt; every other line unchanged.
// std::nullopt when the request cannot be stored without breaking the file's layout
// (an empty name, a line break in a name or the value, a key that would read back as
// something else).
std::optional<std::string> profileWriteText(std::string_view fileText, std::string_view section,
                                            std::string_view key,
                                            const std::optional<std::string>& value);

// Whether profileWriteText would store the request at all (the file's text does not
// matter): both platforms' writers refuse the same requests, so both store the same files.
bool profileStorable(std::string_view section, std::string_view key,
                     const std::optional<std::string>& value);

// The same on a file. A read of a missing or unreadable file gives the default; *why (when
// given) says what was wrong with a file that is there but could not be read.
std::string profileRead(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view defaultValue, std::size_t bufferSize,
                        std::string* why = nullptr);
// False, with *why (when given), when the change could not be stored; the file then keeps
// its previous content.
bool profileWrite(const std::filesystem::path& file, std::string_view section, std::string_view key,
                  const std::optional<std::string>& value, std::string* why = nullptr);

} // namespace ocuvell
