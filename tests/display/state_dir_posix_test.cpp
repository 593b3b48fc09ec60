// Where the state record lives on POSIX systems, and how it is written.
#include "core/settings/state_dir.h"
#include "support/env_var.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

using testing::EnvVar;

TEST(StateDirPosix, XdgStateHomeThenTheHomeFolder) {
    EnvVar home("HOME", "/home/someone");
    {
        EnvVar xdg("XDG_STATE_HOME", "/var/state-of-mine");
        EXPECT_EQ(stateDirectory(), fs::path("/var/state-of-mine/Ocuvell"));
    }
    for (const char* ignored : {"", "relative/state"}) {
        EnvVar xdg("XDG_STATE_HOME", ignored);
        EXPECT_EQ(stateDirectory(), fs::path("/home/someone/.local/state/Ocuvell"));
    }
}

TEST(StateDirPosix, WritesArePrivateWholeAndLeaveNoTemporaryFile) {
    const fs::path dir = testing::freshTestDir("display");
    const fs::path file = dir / "a" / "b" / "ramps.txt";
    ::umask(022);
    std::string why;
    ASSERT_TRUE(replaceStateFile(file, "one", &why)) << why;
    ASSERT_TRUE(replaceStateFile(file, "two", &why)) << why;
    EXPECT_EQ(testing::fileBytes(file), "two");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(file.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1);

    // A folder that cannot be made: a failure with a reason, not a crash.
    testing::putFile(dir / "plain", "x");
    EXPECT_FALSE(replaceStateFile(dir / "plain" / "ramps.txt", "x", &why));
    EXPECT_FALSE(why.empty());
}

} // namespace
} // namespace ocuvell
