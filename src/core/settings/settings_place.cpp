// The settings go beside the executable as they always have, unless that folder cannot be
// written (an installed copy): then every setting would be lost without a word, so they go
// to the user's configuration folder instead.
//
// The choice is made once per run and made again only after a write has failed: asking on
// every call let a passing failure send one write to one folder and the following reads to
// the other. Once the settings moved to the user's folder, the move is recorded there, so
// the next start reads them there too.
#include "core/settings/settings_place.h"

#include "core/io/bounded_read.h"
#include "core/io/whole_file.h"
#include "core/settings/paths.h"
#include "core/settings/paths_platform.h"

#include <cstdio>
#include <string_view>
#include <system_error>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxMovedBytes = 64 * 1024;

// An installed copy may ship a config.ini beside the executable: the user's own file
// starts from it, as the settings it holds are the ones the program was meant to start
// with.
void startFromProgramCopy(const fs::path& userFile, const fs::path& programDir) {
    std::error_code ec;
    // A dangling link counts as there: nothing is copied through it. (A missing file sets
    // ec too, so only other errors stop the copy.)
    const fs::file_status st = fs::symlink_status(userFile, ec);
    if (fs::exists(st) || (ec && ec != std::errc::no_such_file_or_directory))
        return;
    const fs::path shipped = programDir / kConfigFileName;
    if (fs::is_regular_file(shipped, ec))
        fs::copy_file(shipped, userFile, ec);
}

// An installed copy has its data folder beside its program folder (bin/ or libexec/ocuvell/
// and share/ocuvell/): its settings are the user's, even for a user who could write into
// the program's folder (root, or a user's own prefix).
bool isInstalledCopy(const fs::path& programDir) {
    return !installedDataDirectory(programDir).empty();
}

// The lines of the record of moves, without their ends.
std::vector<std::string> movedLines(const fs::path& file) {
    std::vector<std::string> lines;
    const BoundedRead read = readRegularFile(file, kMaxMovedBytes);
    if (read.status != BoundedReadStatus::Read)
        return lines;
    std::string_view text = read.bytes;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty() && line.front() != '#')
            lines.emplace_back(line);
    }
    return lines;
}

} // namespace

SettingsFolders SettingsFolders::ofThisProgram() {
    return {programDirectory(), userConfigDirectory()};
}

SettingsPlace::SettingsPlace(SettingsFolders folders, SettingsProblemObserver observer)
    : folders_(std::move(folders)), observer_(std::move(observer)) {}

bool SettingsPlace::installedCopy() const {
    return isInstalledCopy(folders_.program);
}

const fs::path& SettingsPlace::folder() {
    if (!folder_)
        folder_ = decide();
    return *folder_;
}

fs::path SettingsPlace::decide() {
    const fs::path& program = folders_.program;
    const fs::path& user = folders_.user;
    const bool installed = isInstalledCopy(program);
    if (!installed && !movedAway() && detail::canWriteIn(program))
        return program;
    std::error_code ec;
    fs::create_directories(user, ec);
    if (fs::is_directory(user, ec) && detail::canWriteIn(user)) {
        startFromProgramCopy(user / kConfigFileName, program);
        if (!installed)
            recordMove();
        return user;
    }
    // Nowhere to write: the user's own file is read where there is one (a write then
    // names it), else the program's copy.
    if (fs::exists(fs::symlink_status(user / kConfigFileName, ec)))
        return user;
    return program;
}

bool SettingsPlace::movedAway() const {
    const std::string program = folders_.program.string();
    for (const std::string& line : movedLines(folders_.user / kMovedFileName))
        if (line == program)
            return true;
    return false;
}

void SettingsPlace::recordMove() {
    if (movedAway())
        return;
    const fs::path file = folders_.user / kMovedFileName;
    std::string text = "# Program folders whose settings moved here, because they could not be\n"
                       "# written. Delete a line to have that copy use its own folder again.\n";
    for (const std::string& line : movedLines(file))
        text += line + "\n";
    text += folders_.program.string() + "\n";
    std::string why;
    const std::optional<fs::path> target = followOwnLinks(file, why);
    if (!target || !replaceWholeFile(*target, text, {}, why))
        std::fprintf(stderr, "ocuvell: cannot note in %s that the settings moved (%s)\n",
                     printableText(file.string()).c_str(), printableText(why).c_str());
}

bool SettingsPlace::writeFailed(const fs::path& file, const std::string& why) {
    const std::string line = printableText(file.string()) + ": " + printableText(why);
    if (line != lastWriteFailure_) {
        lastWriteFailure_ = line;
        std::fprintf(stderr, "ocuvell: settings not saved to %s\n", line.c_str());
    }
    report({SettingsProblem::Kind::Write, file, why});
    // The folder may have become read-only, or the user's folder writable: look again.
    const fs::path before = folder();
    folder_ = decide();
    return *folder_ != before;
}

void SettingsPlace::readFailed(const fs::path& file, const std::string& why) {
    const std::string line = printableText(file.string()) + ": " + printableText(why);
    if (line != lastReadFailure_) {
        lastReadFailure_ = line;
        std::fprintf(stderr, "ocuvell: settings not read from %s\n", line.c_str());
    }
    report({SettingsProblem::Kind::Read, file, why});
}

void SettingsPlace::tellFailuresAgain() {
    lastReadFailure_.clear();
    lastWriteFailure_.clear();
}

void SettingsPlace::report(const SettingsProblem& problem) {
    if (observer_)
        observer_(problem);
}

} // namespace ocuvell
