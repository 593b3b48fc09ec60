// The real program as a process: a second copy, the session's end, a display that does
// not answer or refuses it.
#include "support/scratch_dir.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

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
    std::string report = "--report-shown"; // "shown" on stderr at the first paint
    char* argv[] = {path.data(), report.data(), nullptr};
    posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// A copy of the program in a private folder of the test's own, on the offscreen platform.
fs::path programFolder() {
    const fs::path dir = ocuvell::testing::freshTestDir("tray");
    fs::permissions(dir, fs::perms::owner_all); // a runtime folder is private
    fs::copy_file(OCUVELL_BINARY, dir / "ocuvell");
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    return dir;
}

// Starts the program and waits for its main window's first paint.
pid_t startShown(const fs::path& dir, const char* name) {
    const std::string base = name;
    const pid_t pid = spawn(dir / "ocuvell", dir / (base + ".out"), dir / (base + ".err"));
    bool shown = false;
    for (int i = 0; i < 300 && pid > 0 && !shown; ++i) {
        std::this_thread::sleep_for(20ms);
        shown =
            ocuvell::testing::fileBytes(dir / (base + ".err")).find("shown") != std::string::npos;
    }
    EXPECT_TRUE(shown) << ocuvell::testing::fileBytes(dir / (base + ".err"));
    return shown ? pid : -1;
}

TEST(RealProgram, SecondCopyEndsQuietlyWhileTheFirstRuns) {
    const fs::path dir = programFolder();
    const pid_t first = startShown(dir, "first");
    ASSERT_GT(first, 0);

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

// A logout ends the program by SIGTERM (or SIGHUP): what the red cross would store is
// stored, and the process still ends by that signal. An interrupt stores nothing, as Exit.
TEST(RealProgram, TheSessionsEndKeepsTheSettings) {
    const fs::path dir = programFolder();
    for (const int sig : {SIGTERM, SIGHUP, SIGINT}) {
        ocuvell::testing::putFile(dir / "config.ini", "[dsxx]\r\nmei=30\r\n");
        const pid_t pid = startShown(dir, "run");
        ASSERT_GT(pid, 0);
        kill(pid, sig);
        int status = -1;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig;
        const std::string saved = ocuvell::testing::fileBytes(dir / "config.ini");
        if (sig == SIGINT) {
            EXPECT_EQ(saved, "[dsxx]\r\nmei=30\r\n");
            continue;
        }
        for (const char* line : {"mei=30", "xiuxi=5", "pdrun=1", "liangdu=0", "duibidu=100"})
            EXPECT_NE(saved.find(line), std::string::npos) << sig << ": " << saved;
    }
    fs::remove_all(dir);
}

// A display named but not answering (a stale DISPLAY at autostart or over ssh, a
// compositor that is gone) ends with one line naming it and status 1, not Qt's abort.
TEST(RealProgram, ADisplayThatDoesNotAnswerIsNamedInOneLine) {
    const fs::path dir = programFolder();
    ::unsetenv("QT_QPA_PLATFORM");
    int number = 700;
    while (fs::exists("/tmp/.X11-unix/X" + std::to_string(number)))
        ++number;
    const std::string x = ":" + std::to_string(number);
    const std::pair<const char*, std::string> cases[] = {
        {"DISPLAY", "ocuvell: the X display " + x + " (DISPLAY) does not answer.\n"},
        {"WAYLAND_DISPLAY",
         "ocuvell: the Wayland display gone-0 (WAYLAND_DISPLAY) does not answer.\n"}};
    for (const auto& [name, line] : cases) {
        ::setenv(name, name == std::string("DISPLAY") ? x.c_str() : "gone-0", 1);
        const pid_t pid = spawn(dir / "ocuvell", dir / "stale.out", dir / "stale.err");
        int status = -1;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ::unsetenv(name);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << name << ": " << status;
        EXPECT_EQ(ocuvell::testing::fileBytes(dir / "stale.err"), line);
    }
    fs::remove_all(dir);
}

// An X server that takes each connection and closes it at once, as a server does to a
// client without its access cookie; in the abstract namespace, where xcb looks first.
class RefusingServer {
  public:
    RefusingServer() {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        for (number_ = 700; number_ < 800; ++number_) {
            const std::string name = "/tmp/.X11-unix/X" + std::to_string(number_);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path + 1, name.data(), name.size());
            const auto length = static_cast<socklen_t>(sizeof(sa_family_t) + 1 + name.size());
            if (!fs::exists(name) &&
                ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0)
                break;
        }
        ::listen(fd_, 8);
        thread_ = std::thread([this] {
            while (!stop_) {
                pollfd p{fd_, POLLIN, 0};
                if (::poll(&p, 1, 20) == 1)
                    ::close(::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC));
            }
        });
    }
    ~RefusingServer() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    std::string display() const { return ":" + std::to_string(number_); }

  private:
    int fd_ = -1;
    int number_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A display that answers but refuses the program ends the same way, not in Qt's abort.
TEST(RealProgram, ADisplayThatRefusesTheProgramIsNamedInOneLine) {
    const fs::path dir = programFolder();
    ::unsetenv("QT_QPA_PLATFORM");
    const RefusingServer server;
    ::setenv("DISPLAY", server.display().c_str(), 1);
    const pid_t pid = spawn(dir / "ocuvell", dir / "refused.out", dir / "refused.err");
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ::unsetenv("DISPLAY");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(ocuvell::testing::fileBytes(dir / "refused.err"),
              "ocuvell: the X display " + server.display() +
                  " does not let this program connect.\n");
    fs::remove_all(dir);
}

} // namespace
