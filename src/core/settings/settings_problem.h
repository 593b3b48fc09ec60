#pragma once
// Failures of the settings file that the user should hear of. A program that lives in the
// notification area has no console anyone reads, so the window layer registers an
// observer here once and shows what it is told.
#include <cstdint>
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

// One observer at a time; an empty function removes it.
void setSettingsProblemObserver(SettingsProblemObserver observer);
// An observer registered for the lifetime of this object: it is removed when the object
// goes, so an owner that declares it after what the observer uses stops it in time.
class SettingsProblemWatch {
  public:
    explicit SettingsProblemWatch(SettingsProblemObserver observer);
    ~SettingsProblemWatch();
    SettingsProblemWatch(const SettingsProblemWatch&) = delete;
    SettingsProblemWatch& operator=(const SettingsProblemWatch&) = delete;
};
// Tells the observer, if any. Called for every failure; the observer decides how often
// to speak.
void reportSettingsProblem(const SettingsProblem& problem);
// How many problems were reported in this run, so a caller can tell whether a failed call
// already said why.
std::uint64_t settingsProblemsReported();

// The sentence for a message box: which file, what failed and why, printable text only.
std::string settingsProblemMessage(const SettingsProblem& problem);

// bytes as valid UTF-8 with nothing unprintable: control characters, NUL, bytes that
// are not part of a valid UTF-8 sequence and the bidirectional controls (U+061C, U+200E,
// U+200F, U+202A..U+202E, U+2066..U+2069, byte by byte) appear as \xNN.
std::string printableText(std::string_view bytes);

} // namespace ocuvell
