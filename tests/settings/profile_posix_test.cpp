// What only our own implementation promises: the temp-file-and-rename write, its failure
// message, and links and file modes left as they were.
#include "settings/profile.h"
#include "settings_test_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace ocuvell;
using namespace ocuvell::testing;
namespace fs = std::filesystem;

TEST(ProfilePortable, UnwritableFolderKeepsTheOldFileAndSaysSoOnce) {
    const fs::path dir = freshTestDir() / "locked";
    fs::create_directories(dir);
    const fs::path file = dir / "config.ini";
    const std::string old = "[dsxx]\r\nmei=45\r\nunknown=1\r\n";
    putFile(file, old);
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(dir.c_str(), W_OK) == 0) {
        fs::permissions(dir, fs::perms::owner_all);
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    }

    ::testing::internal::CaptureStderr();
    bool written = profileWrite(file, "dsxx", "mei", std::string("30"));
    std::string err = ::testing::internal::GetCapturedStderr();
    fs::permissions(dir, fs::perms::owner_all);

    EXPECT_FALSE(written);
    EXPECT_EQ(fileBytes(file), old);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("mei"), std::string::npos) << err;
}

TEST(ProfilePortable, UnreadableFileIsNotOverwritten) {
    // A folder where the file should be cannot be read, so nothing may replace it.
    const fs::path file = freshTestDir() / "config.ini";
    fs::create_directories(file / "inside");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(profileWrite(file, "dsxx", "mei", std::string("30")));
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(fs::exists(file / "inside"));
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST(ProfilePortable, RefusedValueIsReportedAndFileUntouched) {
    const fs::path file = freshTestDir() / "config.ini";
    putFile(file, "[dsxx]\r\nmei=45\r\n");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(profileWrite(file, "dsxx", "mei", std::string("1\n[eye]\npdrun=1")));
    EXPECT_FALSE(::testing::internal::GetCapturedStderr().empty());
    EXPECT_EQ(fileBytes(file), "[dsxx]\r\nmei=45\r\n");
}

TEST(ProfilePortable, LinkAndModeStayAsTheyWere) {
    const fs::path dir = freshTestDir();
    const fs::path real = dir / "real.ini";
    const fs::path link = dir / "config.ini";
    putFile(real, "[eye]\r\nrgbr=1\r\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real.ini", link);

    ASSERT_TRUE(profileWrite(link, "eye", "rgbr", std::string("2")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(fileBytes(real), "[eye]\r\nrgbr=2\r\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
