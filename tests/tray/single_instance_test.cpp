#include "tray/single_instance.h"

#include "settings/settings_test_dir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ocuvell {
namespace {

class SingleInstanceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = testing::freshTestDir("tray");
        ::setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST_F(SingleInstanceTest, SecondClaimIsRefusedUntilTheFirstEnds) {
    auto first = claimSingleInstance("ocuvell-test");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(claimSingleInstance("ocuvell-test"), nullptr);
    EXPECT_NE(claimSingleInstance("another-name"), nullptr);
    first.reset();
    EXPECT_NE(claimSingleInstance("ocuvell-test"), nullptr);
}

TEST_F(SingleInstanceTest, CrashedHolderDoesNotBlockTheNextStart) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        auto held = claimSingleInstance("ocuvell-crash");
        char c = held ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        ::pause(); // killed below, never releasing the lock itself
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    EXPECT_EQ(claimSingleInstance("ocuvell-crash"), nullptr);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    // The lock file is still there, but nobody holds it any more.
    EXPECT_NE(claimSingleInstance("ocuvell-crash"), nullptr);
}

} // namespace
} // namespace ocuvell
