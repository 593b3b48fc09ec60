#pragma once
// "monitor.txt": the default ramp that the restore command returns the display to.
#include "core/display/gamma_ramp.h"

#include "core/settings/settings_place.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace ocuvell {

// Missing: no such file. Unreadable: it exists but cannot be opened or read.
// NotRegular: a FIFO, device or folder. TooLarge: more than kRampFileMaxBytes.
// TooShort: fewer than 768 numbers. BadNumber: a token that is not a whole number in
// -32768..65535. AllZero: 768 zeros, a ramp that would black the screen. NearBlack: a
// channel that would stay dark over most of its range (GammaRamp::darkChannel).
enum class RampFileStatus {
    Loaded,
    Missing,
    Unreadable,
    TooShort,
    BadNumber,
    AllZero,
    NotRegular,
    TooLarge,
    NearBlack
};

struct RampFileResult {
    RampFileStatus status = RampFileStatus::Missing;
    std::string detail; // for the message: which number, how many were read
    int numbersRead = 0;
};

inline constexpr int kRampFileNumbers = 3 * GammaRamp::kSize;
inline constexpr const char* kRampFileName = "monitor.txt";
// A ramp file is a few kilobytes; anything much larger is not one.
inline constexpr std::size_t kRampFileMaxBytes = 1024 * 1024;

// Parses 768 numbers, entry-major then channel, separated by any run of commas,
// spaces, tabs and line ends. Each is the entry's signed 16-bit form (-1 for 65535);
// the unsigned form 32768..65535 is accepted too. Anything after the 768th number is
// ignored. out changes only when all 768 were read.
RampFileResult parseRampText(std::string_view text, GammaRamp& out);
// Loads the file at path into out, all or nothing: a regular file of at most
// kRampFileMaxBytes only. The file is closed on return.
RampFileResult loadRampFile(const std::filesystem::path& path, GammaRamp& out);
// The file the restore command reads: the program's directory, then the user's
// configuration folder, then the installed data folder beside the program's
// (<program>/../share/ocuvell). Returns the first that exists, whatever its type (so a
// bad file put there is reported, not passed over), else the first candidate.
std::filesystem::path rampFilePath(const SettingsFolders& folders);

// Message box text and title for a result other than Loaded (warning icon, OK).
std::string rampFileMessage(const RampFileResult& result);
inline constexpr const char* kRampFileTitle = "tips";

} // namespace ocuvell
