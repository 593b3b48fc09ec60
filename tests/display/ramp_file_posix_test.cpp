// monitor.txt as something other than a file: a FIFO must not hold the program.
#include "core/display/ramp_file.h"
#include "core/settings/paths.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sys/stat.h>

namespace ocuvell {
namespace {

TEST(RampFilePosix, FifoAndDevicesAreRefusedAtOnce) {
    const auto dir = testing::freshTestDir("display");
    ASSERT_EQ(::mkfifo((dir / "monitor.txt").c_str(), 0600), 0);
    GammaRamp out = GammaRamp::identity();
    const auto start = std::chrono::steady_clock::now();
    const RampFileResult fifo = loadRampFile(dir / "monitor.txt", out);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(fifo.status, RampFileStatus::NotRegular);
    EXPECT_EQ(rampFileMessage(fifo), "Cannot read the default data file (not a regular file), "
                                     "can only be restored to the state before the adjustment!");
    EXPECT_EQ(loadRampFile("/dev/zero", out).status, RampFileStatus::NotRegular);
    EXPECT_EQ(out, GammaRamp::identity());
}

TEST(RampFilePosix, TheUserFolderThenTheInstalledDataFolder) {
    const auto dir = testing::freshTestDir("display");
    const auto write = [](const std::filesystem::path& path, const std::string& text) {
        testing::putFile(path, text);
    };
    setProgramDirectoryForTesting(dir / "prefix" / "bin");
    const auto beside = dir / "prefix" / "bin" / "monitor.txt";
    const auto installed = dir / "prefix" / "share" / "ocuvell" / "monitor.txt";
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = oldConfig ? oldConfig : "";
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    const auto user = userConfigDirectory() / "monitor.txt";

    EXPECT_EQ(rampFilePath(), beside); // none exists
    std::filesystem::create_directories(installed.parent_path());
    write(installed, "1");
    EXPECT_EQ(rampFilePath(), installed);
    std::filesystem::create_directories(user.parent_path());
    write(user, "1");
    EXPECT_EQ(rampFilePath(), user);
    std::filesystem::create_directories(beside.parent_path());
    write(beside, "1");
    EXPECT_EQ(rampFilePath(), beside);
    oldConfig ? setenv("XDG_CONFIG_HOME", saved.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    setProgramDirectoryForTesting({});
}

} // namespace
} // namespace ocuvell
