// iniread / iniwrite through the program's paths, as the forms use them.
#include "core/settings/ini.h"
#include "core/settings/paths.h"
#include "core/settings/settings_problem.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace ocuvell;
using namespace ocuvell::testing;
namespace fs = std::filesystem;

namespace {

class IniTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = freshTestDir();
        setProgramDirectoryForTesting(dir_ / "program");
        fs::create_directories(dir_ / "program");
        const char* xdg = std::getenv("XDG_CONFIG_HOME");
        savedXdg_ = xdg ? std::optional<std::string>(xdg) : std::nullopt;
        ::setenv("XDG_CONFIG_HOME", (dir_ / "xdg").c_str(), 1);
    }
    void TearDown() override {
        setProgramDirectoryForTesting({});
        if (savedXdg_)
            ::setenv("XDG_CONFIG_HOME", savedXdg_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
    }
    fs::path dir_;
    std::optional<std::string> savedXdg_;
};

} // namespace

TEST_F(IniTest, FirstStartReadsKeyNamesThenCloseWritesNineKeys) {
    EXPECT_EQ(iniread("dsxx", "mei"), "mei");
    EXPECT_EQ(iniread("dsxx", "pdrun"), "pdrun");
    EXPECT_EQ(iniread("eye", "pdrun"), "pdrun");
    EXPECT_FALSE(fs::exists(dir_ / "program" / "config.ini"));

    iniwrite("dsxx", "mei", "45");
    iniwrite("dsxx", "xiuxi", "5");
    iniwrite("dsxx", "pdrun", "1");
    for (const char* key : {"liangdu", "duibidu", "rgbr", "rgbg", "rgbb"})
        iniwrite("eye", key, "0");
    iniwrite("eye", "pdrun", std::nullopt);
    EXPECT_EQ(fileBytes(dir_ / "program" / "config.ini"),
              "[dsxx]\r\nmei=45\r\nxiuxi=5\r\npdrun=1\r\n"
              "[eye]\r\nliangdu=0\r\nduibidu=0\r\nrgbr=0\r\nrgbg=0\r\nrgbb=0\r\n");
    EXPECT_EQ(iniread("eye", "pdrun"), "pdrun");
    EXPECT_EQ(iniread("dsxx", "xiuxi"), "5");
}

TEST_F(IniTest, StoredTextComesBackAsTheProgramExpects) {
    iniwrite("dsxx", "mei", std::string(300, '9'));
    EXPECT_EQ(iniread("dsxx", "mei"), std::string(255, '9'));
    iniwrite("dsxx", "pdrun", "");
    EXPECT_EQ(iniread("dsxx", "pdrun"), "");
    iniwrite("dsxx", "pdrun", " ");
    EXPECT_EQ(iniread("dsxx", "pdrun"), "");
    iniwrite("dsxx", "pdrun", "00");
    EXPECT_EQ(iniread("dsxx", "pdrun"), "00");
    // The buffer's text ends at its first NUL.
    putFile(dir_ / "program" / "config.ini", std::string("[eye]\r\nrgbr=1\0junk\r\n", 20));
    EXPECT_EQ(iniread("eye", "rgbr"), "1");
}

TEST_F(IniTest, UnwritableProgramFolderFallsBackToUserFolder) {
    // A folder that cannot be created in stands for an installed, read-only copy.
    const fs::path installed = dir_ / "not-there";
    setProgramDirectoryForTesting(installed);
    EXPECT_EQ(settingsDirectory(), dir_ / "xdg" / "Ocuvell");
    EXPECT_EQ(configPath(), dir_ / "xdg" / "Ocuvell" / "config.ini");

    iniwrite("eye", "rgbb", "-20");
    EXPECT_EQ(iniread("eye", "rgbb"), "-20");
    EXPECT_EQ(fileBytes(dir_ / "xdg" / "Ocuvell" / "config.ini"), "[eye]\r\nrgbb=-20\r\n");
}

TEST_F(IniTest, NoWritableFolderAnywhereKeepsTheProgramFolder) {
    putFile(dir_ / "xdg", "a file where the folder should be");
    setProgramDirectoryForTesting(dir_ / "not-there");
    EXPECT_EQ(settingsDirectory(), dir_ / "not-there");
    ::testing::internal::CaptureStderr();
    iniwrite("eye", "rgbb", "-20");
    EXPECT_NE(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(iniread("eye", "rgbb"), "rgbb");
}

// An installed copy (bin/ beside share/ocuvell/) keeps its settings in the user's folder
// even when its program folder could be written, as root can: nothing lands in /usr/bin.
TEST_F(IniTest, AnInstalledCopyUsesTheUsersFolderEvenWhereItCouldWriteBesideItself) {
    const fs::path prefix = dir_ / "usr";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share" / "ocuvell");
    setProgramDirectoryForTesting(prefix / "bin");
    iniwrite("dsxx", "mei", "30");
    EXPECT_FALSE(fs::exists(prefix / "bin" / "config.ini"));
    EXPECT_EQ(fileBytes(dir_ / "xdg" / "Ocuvell" / "config.ini"), "[dsxx]\r\nmei=30\r\n");
}

TEST_F(IniTest, UserFileStartsFromTheCopyShippedWithTheProgram) {
    const fs::path installed = dir_ / "installed";
    fs::create_directories(installed);
    putFile(installed / "config.ini", "[dsxx]\r\nmei=60\r\n");
    fs::permissions(installed, fs::perms::owner_read | fs::perms::owner_exec);
    setProgramDirectoryForTesting(installed);
    if (settingsDirectory() == installed) {
        fs::permissions(installed, fs::perms::owner_all);
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    }
    EXPECT_EQ(iniread("dsxx", "mei"), "60");
    iniwrite("dsxx", "xiuxi", "5");
    fs::permissions(installed, fs::perms::owner_all);
    EXPECT_EQ(fileBytes(installed / "config.ini"), "[dsxx]\r\nmei=60\r\n");
    EXPECT_EQ(fileBytes(dir_ / "xdg" / "Ocuvell" / "config.ini"),
              "[dsxx]\r\nmei=60\r\nxiuxi=5\r\n");
}

TEST(Paths, ProgramDirectoryIsTheExecutablesFolder) {
    setProgramDirectoryForTesting({});
    const fs::path dir = programDirectory();
    EXPECT_TRUE(fs::exists(dir / "ini_test")) << dir;
}

TEST(Paths, UserFolderFollowsXdgRules) {
    const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = savedXdg ? savedXdg : "";
    const char* savedHome = std::getenv("HOME");
    const std::string home = savedHome ? savedHome : "";
    ::setenv("XDG_CONFIG_HOME", "/somewhere/conf", 1);
    EXPECT_EQ(userConfigDirectory(), fs::path("/somewhere/conf/Ocuvell"));
    // A relative value is not valid and is ignored.
    ::setenv("XDG_CONFIG_HOME", "relative/conf", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(userConfigDirectory(), fs::path("/home/someone/.config/Ocuvell"));
    if (savedXdg)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    if (savedHome)
        ::setenv("HOME", home.c_str(), 1);
    else
        ::unsetenv("HOME");
}

namespace {

std::vector<std::string> listing(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST_F(IniTest, SettingsFolderIsDecidedOnceWithoutLeavingFilesBehind) {
    const fs::path program = dir_ / "program";
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(iniread("dsxx", "mei"), i == 0 ? "mei" : "45");
        iniwrite("dsxx", "mei", "45");
        EXPECT_EQ(listing(program), std::vector<std::string>{"config.ini"});
    }

    // A program folder that comes into being later does not split reads from writes: the
    // run stays with the folder it chose...
    const fs::path later = dir_ / "later";
    setProgramDirectoryForTesting(later);
    iniwrite("eye", "rgbr", "7");
    fs::create_directories(later);
    EXPECT_EQ(iniread("eye", "rgbr"), "7");
    iniwrite("eye", "rgbg", "8");
    EXPECT_EQ(fileBytes(dir_ / "xdg" / "Ocuvell" / "config.ini"), "[eye]\r\nrgbr=7\r\nrgbg=8\r\n");
    EXPECT_TRUE(listing(later).empty());

    // ...until a write fails: then it looks again.
    fs::remove(dir_ / "xdg" / "Ocuvell" / "config.ini");
    fs::create_directories(dir_ / "xdg" / "Ocuvell" / "config.ini");
    std::vector<SettingsProblem> told;
    setSettingsProblemObserver([&told](const SettingsProblem& p) { told.push_back(p); });
    ::testing::internal::CaptureStderr();
    iniwrite("eye", "rgbb", "9");
    ::testing::internal::GetCapturedStderr();
    setSettingsProblemObserver({});
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].kind, SettingsProblem::Kind::Write);
    EXPECT_EQ(told[0].file, dir_ / "xdg" / "Ocuvell" / "config.ini");
    EXPECT_EQ(told[0].why, "it is a folder, not a file");
    EXPECT_EQ(settingsDirectory(), later);
    iniwrite("eye", "rgbb", "9");
    EXPECT_EQ(listing(later), std::vector<std::string>{"config.ini"});
}
