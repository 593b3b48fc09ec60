#pragma once
// Failures of the settings file that the user should hear of. A program that lives in the
// notification area has no console anyone reads, so the run's settings place tells an
// observer, and the window layer shows what it is told.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace ocuvell {

struct SettingsProblem {
    enum class Kind { Read, Write };
    Kind kind = Kind::Write;
    std::filesystem::path file;
    std::string why; // a few words: "it is not a regular file"
};

using SettingsProblemObserver = std::function<void(const SettingsProblem&)>;

// The sentence for a message box: which file, what failed and why, printable text only.
std::string settingsProblemMessage(const SettingsProblem& problem);

// bytes as valid UTF-8 with nothing unprintable: control characters, NUL, bytes that
// are not part of a valid UTF-8 sequence and the bidirectional controls (U+061C, U+200E,
// U+200F, U+202A..U+202E, U+2066..U+2069, byte by byte) appear as \xNN.
std::string printableText(std::string_view bytes);

} // namespace ocuvell
