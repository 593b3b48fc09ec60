// The program's directory from GetModuleFileNameW, the user's folder from %APPDATA%, and
// the settings file beside the program. scripts/test-windows.sh also runs copies of this
// program from the root of drive C:, where the directory itself ends in a separator, and
// from a folder named in Chinese with an emoji, under an English locale.
#include "core/settings/ini.h"
#include "core/settings/paths.h"

#include <windows.h>

#include <filesystem>
#include <gtest/gtest.h>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

// The truth, in the wide form, whatever the folder is called.
fs::path moduleFolder() {
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(std::wstring(path, n)).parent_path();
}

TEST(PathsWin32, ProgramDirectoryIsTheExecutablesFolder) {
    const fs::path dir = programDirectory();
    EXPECT_TRUE(fs::equivalent(dir, moduleFolder())) << dir.string();
    if (moduleFolder() == moduleFolder().root_path()) { // at a drive root: "C:\"
        EXPECT_EQ(dir, dir.root_path()) << dir.string();
    }
}

TEST(PathsWin32, SettingsFileLivesBesideTheProgramAndRoundTrips) {
    SettingsPlace place(SettingsFolders::ofThisProgram());
    const fs::path file = place.configPath();
    EXPECT_TRUE(fs::equivalent(file.parent_path(), programDirectory())) << file.string();
    EXPECT_EQ(file.filename(), "config.ini");

    const bool existed = fs::exists(file);
    writeIniValue(place, "windows-test", "mei", std::string("45"));
    EXPECT_TRUE(fs::exists(file)) << file.string();
    EXPECT_EQ(readIniValue(place, "windows-test", "mei"), "45");
    writeIniValue(place, "windows-test", "mei", std::nullopt);
    EXPECT_EQ(readIniValue(place, "windows-test", "mei"), "mei");
    if (!existed)
        fs::remove(file);
}

// A user name the ANSI code page cannot spell reaches the folder unchanged.
TEST(PathsWin32, UserFolderFromAnAppDataOutsideTheAnsiCodePage) {
    const fs::path appData = fs::temp_directory_path() / L"\u5f20\u4f1f \U0001F33F" / "Roaming";
    wchar_t saved[32768];
    const DWORD had = ::GetEnvironmentVariableW(L"APPDATA", saved, 32768);
    ::SetEnvironmentVariableW(L"APPDATA", appData.c_str());
    EXPECT_EQ(userConfigDirectory(), appData / "Ocuvell");
    EXPECT_EQ(SettingsFolders::ofThisProgram().user, appData / "Ocuvell");
    ::SetEnvironmentVariableW(L"APPDATA", had ? saved : nullptr);
}

} // namespace
} // namespace ocuvell
