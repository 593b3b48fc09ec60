// readIniValue / writeIniValue through the program's paths, as the forms use them.
#include "core/settings/ini.h"
#include "core/settings/paths.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace ocuvell;
using namespace ocuvell::testing;
namespace fs = std::filesystem;

namespace {

class IniTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = freshTestDir();
        fs::create_directories(dir_ / "program");
        use(dir_ / "program");
    }
    // A run of a program kept in program, the user's folder being xdg/Ocuvell.
    void use(const fs::path& program) {
        place_ = std::make_unique<SettingsPlace>(
            SettingsFolders{program, dir_ / "xdg" / "Ocuvell"},
            [this](const SettingsProblem& p) { told_.push_back(p); });
    }
    SettingsPlace& place() { return *place_; }
    fs::path dir_;
    std::unique_ptr<SettingsPlace> place_;
    std::vector<SettingsProblem> told_;
};

} // namespace

TEST_F(IniTest, FirstStartReadsKeyNamesThenCloseWritesNineKeys) {
    EXPECT_EQ(readIniValue(place(), "dsxx", "mei"), "mei");
    EXPECT_EQ(readIniValue(place(), "dsxx", "pdrun"), "pdrun");
    EXPECT_EQ(readIniValue(place(), "eye", "pdrun"), "pdrun");
    EXPECT_FALSE(fs::exists(dir_ / "program" / "config.ini"));

    writeIniValue(place(), "dsxx", "mei", "45");
    writeIniValue(place(), "dsxx", "xiuxi", "5");
    writeIniValue(place(), "dsxx", "pdrun", "1");
    for (const char* key : {"liangdu", "duibidu", "rgbr", "rgbg", "rgbb"})
        writeIniValue(place(), "eye", key, "0");
    writeIniValue(place(), "eye", "pdrun", std::nullopt);
    EXPECT_EQ(fileBytes(dir_ / "program" / "config.ini"),
              "[dsxx]\r\nmei=45\r\nxiuxi=5\r\npdrun=1\r\n"
              "[eye]\r\nliangdu=0\r\nduibidu=0\r\nrgbr=0\r\nrgbg=0\r\nrgbb=0\r\n");
    EXPECT_EQ(readIniValue(place(), "eye", "pdrun"), "pdrun");
    EXPECT_EQ(readIniValue(place(), "dsxx", "xiuxi"), "5");
}

TEST_F(IniTest, StoredTextComesBackAsTheProgramExpects) {
    writeIniValue(place(), "dsxx", "mei", std::string(300, '9'));
    EXPECT_EQ(readIniValue(place(), "dsxx", "mei"), std::string(255, '9'));
    writeIniValue(place(), "dsxx", "pdrun", "");
    EXPECT_EQ(readIniValue(place(), "dsxx", "pdrun"), "");
    writeIniValue(place(), "dsxx", "pdrun", " ");
    EXPECT_EQ(readIniValue(place(), "dsxx", "pdrun"), "");
    writeIniValue(place(), "dsxx", "pdrun", "00");
    EXPECT_EQ(readIniValue(place(), "dsxx", "pdrun"), "00");
    // The buffer's text ends at its first NUL.
    putFile(dir_ / "program" / "config.ini", std::string("[eye]\r\nrgbr=1\0junk\r\n", 20));
    EXPECT_EQ(readIniValue(place(), "eye", "rgbr"), "1");
}

TEST_F(IniTest, UnwritableProgramFolderFallsBackToUserFolder) {
    // A folder that cannot be created in stands for an installed, read-only copy.
    const fs::path installed = dir_ / "not-there";
    use(installed);
    EXPECT_EQ(place().folder(), dir_ / "xdg" / "Ocuvell");
    EXPECT_EQ(place().configPath(), dir_ / "xdg" / "Ocuvell" / "config.ini");

    writeIniValue(place(), "eye", "rgbb", "-20");
    EXPECT_EQ(readIniValue(place(), "eye", "rgbb"), "-20");
    EXPECT_EQ(fileBytes(dir_ / "xdg" / "Ocuvell" / "config.ini"), "[eye]\r\nrgbb=-20\r\n");
}

TEST_F(IniTest, NoWritableFolderAnywhereKeepsTheProgramFolder) {
    putFile(dir_ / "xdg", "a file where the folder should be");
    use(dir_ / "not-there");
    EXPECT_EQ(place().folder(), dir_ / "not-there");
    ::testing::internal::CaptureStderr();
    writeIniValue(place(), "eye", "rgbb", "-20");
    EXPECT_NE(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(readIniValue(place(), "eye", "rgbb"), "rgbb");
}

// An installed copy (bin/, or the launcher's libexec/ocuvell/, beside share/ocuvell/) keeps
// its settings in the user's folder even when its program folder could be written, as root
// can: nothing lands in /usr/bin or /usr/libexec.
TEST_F(IniTest, AnInstalledCopyUsesTheUsersFolderEvenWhereItCouldWriteBesideItself) {
    const fs::path prefix = dir_ / "usr";
    fs::create_directories(prefix / "share" / "ocuvell");
    for (const fs::path& program : {prefix / "bin", prefix / "libexec" / "ocuvell"}) {
        fs::create_directories(program);
        fs::remove(dir_ / "xdg" / "Ocuvell" / "config.ini");
        use(program);
        writeIniValue(place(), "dsxx", "mei", "30");
        EXPECT_FALSE(fs::exists(program / "config.ini")) << program;
        EXPECT_EQ(fileBytes(dir_ / "xdg" / "Ocuvell" / "config.ini"), "[dsxx]\r\nmei=30\r\n");
    }
}

TEST_F(IniTest, UserFileStartsFromTheCopyShippedWithTheProgram) {
    const fs::path installed = dir_ / "installed";
    fs::create_directories(installed);
    putFile(installed / "config.ini", "[dsxx]\r\nmei=60\r\n");
    fs::permissions(installed, fs::perms::owner_read | fs::perms::owner_exec);
    use(installed);
    if (place().folder() == installed) {
        fs::permissions(installed, fs::perms::owner_all);
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    }
    EXPECT_EQ(readIniValue(place(), "dsxx", "mei"), "60");
    writeIniValue(place(), "dsxx", "xiuxi", "5");
    fs::permissions(installed, fs::perms::owner_all);
    EXPECT_EQ(fileBytes(installed / "config.ini"), "[dsxx]\r\nmei=60\r\n");
    EXPECT_EQ(fileBytes(dir_ / "xdg" / "Ocuvell" / "config.ini"),
              "[dsxx]\r\nmei=60\r\nxiuxi=5\r\n");
}

TEST(Paths, ProgramDirectoryIsTheExecutablesFolder) {
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
        EXPECT_EQ(readIniValue(place(), "dsxx", "mei"), i == 0 ? "mei" : "45");
        writeIniValue(place(), "dsxx", "mei", "45");
        EXPECT_EQ(listing(program), std::vector<std::string>{"config.ini"});
    }

    // A program folder that comes into being later does not split reads from writes: the
    // run stays with the folder it chose...
    const fs::path later = dir_ / "later";
    use(later);
    writeIniValue(place(), "eye", "rgbr", "7");
    fs::create_directories(later);
    EXPECT_EQ(readIniValue(place(), "eye", "rgbr"), "7");
    writeIniValue(place(), "eye", "rgbg", "8");
    EXPECT_EQ(fileBytes(dir_ / "xdg" / "Ocuvell" / "config.ini"), "[eye]\r\nrgbr=7\r\nrgbg=8\r\n");
    EXPECT_TRUE(listing(later).empty());

    // ...and a write that fails there is told, but does not send the settings back to a
    // program folder they once moved from (the next start would read them there).
    fs::remove(dir_ / "xdg" / "Ocuvell" / "config.ini");
    fs::create_directories(dir_ / "xdg" / "Ocuvell" / "config.ini");
    ::testing::internal::CaptureStderr();
    writeIniValue(place(), "eye", "rgbb", "9");
    ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(told_.size(), 1u);
    EXPECT_EQ(told_[0].kind, SettingsProblem::Kind::Write);
    EXPECT_EQ(told_[0].file, dir_ / "xdg" / "Ocuvell" / "config.ini");
    EXPECT_EQ(told_[0].why, "it is a folder, not a file");
    EXPECT_EQ(place().folder(), dir_ / "xdg" / "Ocuvell");
    EXPECT_TRUE(listing(later).empty());
}

// A portable copy whose folder stops taking writes: the change that failed goes to the
// user's folder with the rest, and the next start reads it there, even once the program's
// folder can be written again.
TEST_F(IniTest, ASettingsMoveOutlivesTheRunAndKeepsTheChangeThatFailed) {
    const fs::path program = dir_ / "program";
    writeIniValue(place(), "dsxx", "mei", "45");
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(program.c_str(), W_OK) == 0) {
        fs::permissions(program, fs::perms::owner_all);
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    }
    ::testing::internal::CaptureStderr();
    writeIniValue(place(), "dsxx", "mei", "30");
    ::testing::internal::GetCapturedStderr();
    fs::permissions(program, fs::perms::owner_all);
    const fs::path user = dir_ / "xdg" / "Ocuvell";
    EXPECT_EQ(place().folder(), user);
    EXPECT_EQ(fileBytes(user / "config.ini"), "[dsxx]\r\nmei=30\r\n");

    use(program); // the next start
    EXPECT_EQ(place().folder(), user);
    EXPECT_EQ(readIniValue(place(), "dsxx", "mei"), "30");
    EXPECT_NE(fileBytes(user / kMovedFileName).find(program.string()), std::string::npos);
}

// An installed copy whose user folder is read-only still reads the user's settings there,
// and a write that fails names that file, not one in the program's folder.
TEST_F(IniTest, AReadOnlyUserFolderIsStillReadAndNamedWhenAWriteFails) {
    const fs::path prefix = dir_ / "usr";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share" / "ocuvell");
    const fs::path user = dir_ / "xdg" / "Ocuvell";
    fs::create_directories(user);
    putFile(user / "config.ini", "[dsxx]\r\nmei=30\r\n");
    fs::permissions(user, fs::perms::owner_read | fs::perms::owner_exec);
    use(prefix / "bin");
    EXPECT_EQ(readIniValue(place(), "dsxx", "mei"), "30");
    ::testing::internal::CaptureStderr();
    writeIniValue(place(), "dsxx", "mei", "31");
    ::testing::internal::GetCapturedStderr();
    const bool refused = ::access(user.c_str(), W_OK) != 0;
    fs::permissions(user, fs::perms::owner_all);
    if (!refused)
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    ASSERT_EQ(told_.size(), 1u);
    EXPECT_EQ(told_[0].file, user / "config.ini");
    EXPECT_FALSE(fs::exists(prefix / "bin" / "config.ini"));
}
