#pragma once
// "monitor.txt": the default ramp that the restore command returns the display to.
#include "display/gamma_ramp.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace ocuvell {

enum class RampFileStatus { Loaded, Missing, Unreadable, TooShort, BadNumber };

struct RampFileResult {
    RampFileStatus status = RampFileStatus::Missing;
    std::string detail; // for the message: which number, how many were read
};

// Parses 768 numbers, entry-major then channel. out changes only when all 768 were read.
RampFileResult parseRampText(std::string_view text, GammaRamp& out);
// Loads the file at path into out, all or nothing.
RampFileResult loadRampFile(const std::filesystem::path& path, GammaRamp& out);
// The file the restore command reads: the program's directory, then the user's
// configuration folder. Returns the first that exists, else the first candidate.
std::filesystem::path rampFilePath();

// Message box text and title for a result other than Loaded.
std::string rampFileMessage(const RampFileResult& result);
inline constexpr const char* kRampFileTitle = "tips";

} // namespace ocuvell
