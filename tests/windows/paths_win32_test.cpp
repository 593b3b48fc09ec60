// The program's directory from GetModuleFileNameA, and the settings file beside it.
// scripts/test-windows.sh also runs copies of this program from the root of drive C:,
// where the directory itself ends in a separator, and from a folder whose name is
// outside ASCII.
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

} // namespace
} // namespace ocuvell
