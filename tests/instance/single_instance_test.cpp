#include "core/instance/single_instance.h"

#include "support/scratch_dir.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
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

// Without a runtime folder the lock goes to a private folder of the user's own in the
// temporary folder; the shared temporary folder itself is never trusted.
class FallbackLockTest : public SingleInstanceTest {
  protected:
    void SetUp() override {
        SingleInstanceTest::SetUp();
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        savedRuntime_ = runtime ? runtime : "";
        const char* tmp = std::getenv("TMPDIR");
        savedTmp_ = tmp ? std::optional<std::string>(tmp) : std::nullopt;
        ::unsetenv("XDG_RUNTIME_DIR");
        shared_ = dir_ / "tmp";
        std::filesystem::create_directories(shared_);
        ::chmod(shared_.c_str(), 01777);
        ::setenv("TMPDIR", shared_.c_str(), 1);
        private_ = shared_ / ("ocuvell-" + std::to_string(::getuid()));
        lock_ = private_ / ("ocuvell-test-" + std::to_string(::getuid()) + ".lock");
    }
    void TearDown() override {
        if (savedTmp_)
            ::setenv("TMPDIR", savedTmp_->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
        SingleInstanceTest::TearDown();
    }
    std::string savedRuntime_;
    std::optional<std::string> savedTmp_;
    std::filesystem::path shared_, private_, lock_;
};

TEST_F(FallbackLockTest, PrivateFolderIsMadeAndTheLockWorksInIt) {
    auto first = claimSingleInstance("ocuvell-test");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->problem(), "");
    struct stat st {};
    ASSERT_EQ(::lstat(private_.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(std::filesystem::exists(lock_));
    EXPECT_EQ(claimSingleInstance("ocuvell-test"), nullptr);
}

TEST_F(FallbackLockTest, FoldersOthersCouldWriteOrPlantAreRefusedAndTheProgramRuns) {
    std::filesystem::create_directories(private_);
    ::chmod(private_.c_str(), 0777);
    auto claim = claimSingleInstance("ocuvell-test");
    ASSERT_NE(claim, nullptr);
    EXPECT_NE(claim->problem().find("other users may write"), std::string::npos)
        << claim->problem();
    EXPECT_FALSE(std::filesystem::exists(lock_));

    // A link in the folder's place, to a folder of someone else's choosing.
    std::filesystem::remove(private_);
    const auto elsewhere = dir_ / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    ::chmod(elsewhere.c_str(), 0700);
    std::filesystem::create_directory_symlink(elsewhere, private_);
    claim = claimSingleInstance("ocuvell-test");
    ASSERT_NE(claim, nullptr);
    EXPECT_NE(claim->problem(), "");
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
}

TEST_F(SingleInstanceTest, ForeignOrLinkedLockFilesAreIgnoredAndTheProgramRuns) {
    const std::string uid = std::to_string(::getuid());
    // A link: never followed, so nothing is created where it points.
    const auto link = dir_ / ("ocuvell-link-" + uid + ".lock");
    std::filesystem::create_symlink(dir_ / "chosen-by-another", link);
    auto claim = claimSingleInstance("ocuvell-link");
    ASSERT_NE(claim, nullptr);
    EXPECT_NE(claim->problem(), "");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "chosen-by-another"));

    // A pipe does not block the start.
    const auto fifo = dir_ / ("ocuvell-fifo-" + uid + ".lock");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    claim = claimSingleInstance("ocuvell-fifo");
    ASSERT_NE(claim, nullptr);
    EXPECT_NE(claim->problem(), "");

    // Another user's file, even held locked, says nothing about a copy of ours.
    const auto foreign = dir_ / ("ocuvell-foreign-" + uid + ".lock");
    const int fd = ::open(foreign.c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    if (::fchown(fd, 65534, 65534) != 0) {
        ::close(fd);
        GTEST_SKIP() << "cannot give a file to another user without root";
    }
    claim = claimSingleInstance("ocuvell-foreign");
    ASSERT_NE(claim, nullptr);
    EXPECT_NE(claim->problem().find("another user"), std::string::npos) << claim->problem();
    ::close(fd);
}

} // namespace
} // namespace ocuvell
