// Where the state record lives on POSIX systems.
#include "core/settings/state_dir.h"
#include "support/env_var.h"

#include <gtest/gtest.h>

#include <filesystem>

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

} // namespace
} // namespace ocuvell
