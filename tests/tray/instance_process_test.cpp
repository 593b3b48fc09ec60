// The real program, twice: the second copy must end at once, quietly, with status 0.
#include "support/scratch_dir.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

pid_t spawn(const fs::path& exe, const fs::path& out, const fs::path& err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    std::string path = exe.string();
    char* argv[] = {path.data(), nullptr};
    posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

TEST(RealProgram, SecondCopyEndsQuietlyWhileTheFirstRuns) {
    const fs::path dir = ocuvell::testing::freshTestDir("tray");
    fs::permissions(dir, fs::perms::owner_all); // a runtime folder is private
    fs::copy_file(OCUVELL_BINARY, dir / "ocuvell");
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("OCUVELL_REPORT_SHOWN", "1", 1);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");

    const pid_t first = spawn(dir / "ocuvell", dir / "first.out", dir / "first.err");
    ASSERT_GT(first, 0);
    bool shown = false;
    for (int i = 0; i < 300 && !shown; ++i) {
        std::this_thread::sleep_for(20ms);
        shown = ocuvell::testing::fileBytes(dir / "first.err").find("shown") != std::string::npos;
    }
    ASSERT_TRUE(shown) << ocuvell::testing::fileBytes(dir / "first.err");

    const auto start = std::chrono::steady_clock::now();
    const pid_t second = spawn(dir / "ocuvell", dir / "second.out", dir / "second.err");
    int status = -1;
    ASSERT_EQ(waitpid(second, &status, 0), second);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ocuvell::testing::fileBytes(dir / "second.out"), "");
    EXPECT_EQ(ocuvell::testing::fileBytes(dir / "second.err"), "");
    EXPECT_LT(took, 5s);

    // The first copy is unaffected.
    EXPECT_EQ(waitpid(first, &status, WNOHANG), 0);
    kill(first, SIGTERM);
    waitpid(first, &status, 0);
    fs::remove_all(dir);
}

} // namespace
