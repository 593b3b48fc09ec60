#pragma once
// Where this run keeps its settings, and who hears when the settings file fails. main
// makes one for the run and passes it to whatever reads or writes settings; a test makes
// its own over folders of its choosing.
#include "core/settings/settings_problem.h"

#include <filesystem>
#include <optional>
#include <string>

namespace ocuvell {

struct SettingsFolders {
    std::filesystem::path program; // the program's folder
    std::filesystem::path user;    // the user's configuration folder, made when needed

    // The running program's: its executable's folder, and $XDG_CONFIG_HOME/Ocuvell,
    // ~/.config/Ocuvell or %APPDATA%\Ocuvell.
    static SettingsFolders ofThisProgram();
};

inline constexpr const char* kConfigFileName = "config.ini";
// In the user's folder: the program folders whose settings moved there after their own
// folder could not be written. Such a folder is never preferred again, so a later start
// does not go back to the settings the failed write left behind.
inline constexpr const char* kMovedFileName = "moved-from.txt";

class SettingsPlace {
  public:
    explicit SettingsPlace(SettingsFolders folders, SettingsProblemObserver observer = {});
    SettingsPlace(const SettingsPlace&) = delete;
    SettingsPlace& operator=(const SettingsPlace&) = delete;

    const SettingsFolders& folders() const { return folders_; }
    // An installed copy (a data folder share/ocuvell beside the program's folder): its
    // settings are always in the user's folder. Asks nothing else and makes nothing.
    bool installedCopy() const;
    // Where config.ini lives: the program's folder when it can be written and is not an
    // installed copy's, else the user's folder. Decided on the first call; the same answer
    // holds until a write fails.
    const std::filesystem::path& folder();
    std::filesystem::path configPath() { return folder() / kConfigFileName; }

    // A write to file failed for why: the user hears of it, and the folder is decided
    // afresh. True when that moved the settings to another folder, where the caller
    // writes again.
    bool writeFailed(const std::filesystem::path& file, const std::string& why);
    // A read of file failed for why: the user hears of it.
    void readFailed(const std::filesystem::path& file, const std::string& why);
    // stderr hears of each cause of failure once, not once per key; after this, the next
    // failure is told there again (a save at the session's end says what it could not keep).
    void tellFailuresAgain();

  private:
    std::filesystem::path decide();
    bool movedAway() const;
    void recordMove();
    void report(const SettingsProblem& problem);

    SettingsFolders folders_;
    SettingsProblemObserver observer_;
    std::optional<std::filesystem::path> folder_;
    std::string lastReadFailure_; // stderr hears of each cause once
    std::string lastWriteFailure_;
};

} // namespace ocuvell
