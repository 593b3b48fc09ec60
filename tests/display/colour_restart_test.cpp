// The real program on the private dummy X server, started and ended the way a logout
// ends it (SIGTERM), again and again: the colours it leaves must not drift.
#include "core/display/backends.h"
#include "core/display/ramp_state.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace ocuvell {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* testDisplay() {
    const char* name = std::getenv("OCUVELL_TEST_XDISPLAY");
    return name && *name ? name : nullptr;
}

GammaRamp tinted(const GammaRamp& base, int brightness, int blue) {
    GammaRamp out = base;
    if (brightness != 0) {
        for (int j = 0; j < GammaRamp::kSize; ++j)
            out.at(0, j) = out.at(1, j) = out.at(2, j) = levelTransfer(brightness, base.at(0, j));
        return out;
    }
    for (int j = 0; j < GammaRamp::kSize; ++j)
        out.at(2, j) = levelTransfer(blue, base.at(2, j));
    return out;
}

GammaRamp calibrated() { // what another colour tool might leave: warm, not the identity
    GammaRamp ramp = GammaRamp::identity();
    for (int j = 0; j < GammaRamp::kSize; ++j) {
        ramp.at(1, j) = static_cast<std::uint16_t>(240 * j + 1000);
        ramp.at(2, j) = static_cast<std::uint16_t>(220 * j);
    }
    return ramp;
}

class ColourRestart : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testDisplay())
            GTEST_SKIP()
                << "OCUVELL_TEST_XDISPLAY is not set (scripts/test.sh starts a dummy Xorg)";
        haveXdotool_ = std::system("command -v xdotool >/dev/null 2>&1") == 0;
        DisplayTrouble why = DisplayTrouble::NoTrouble;
        display_ = openX11Display(testDisplay(), &why);
        ASSERT_TRUE(display_) << troubleWords(why);
        ASSERT_TRUE(display_->readRamp(saved_));
        dir_ = testing::freshTestDir("display");
        // Beside the copy: its own config.ini, and no monitor.txt anywhere it looks.
        fs::create_directories(dir_ / "bin");
        fs::copy_file(OCUVELL_BINARY, dir_ / "bin" / "ocuvell");
        for (const char* sub : {"runtime", "state", "config", "home"}) {
            fs::create_directories(dir_ / sub);
            fs::permissions(dir_ / sub, fs::perms::owner_all);
        }
        record_ = dir_ / "state" / "Ocuvell" / kRampStateFileName;
    }
    void TearDown() override {
        if (display_)
            display_->writeRamp(saved_); // the server as the other tests expect it
    }

    void storeColours(int brightness, int blue) {
        testing::putFile(dir_ / "bin" / "config.ini",
                         "[eye]\r\nliangdu=" + std::to_string(brightness) +
                             "\r\nduibidu=100\r\nrgbr=0\r\nrgbg=0\r\nrgbb=" + std::to_string(blue) +
                             "\r\npdrun=1\r\n[dsxx]\r\npdrun=0\r\n");
    }

    std::vector<std::string> environment() const {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string var = *e;
            const std::string name = var.substr(0, var.find('='));
            if (name != "DISPLAY" && name != "WAYLAND_DISPLAY" && name != "QT_QPA_PLATFORM" &&
                name.rfind("XDG_", 0) != 0 && name != "HOME")
                env.push_back(var);
        }
        env.push_back(std::string("DISPLAY=") + testDisplay());
        env.push_back("QT_QPA_PLATFORM=xcb"); // a real window, so the warning can be answered
        env.push_back("XDG_RUNTIME_DIR=" + (dir_ / "runtime").string());
        env.push_back("XDG_STATE_HOME=" + (dir_ / "state").string());
        env.push_back("XDG_CONFIG_HOME=" + (dir_ / "config").string());
        env.push_back("HOME=" + (dir_ / "home").string());
        return env;
    }

    // One start: answer the missing-file warning, wait for the window, end with SIGTERM.
    // Returns the ramp the program left on the display.
    GammaRamp runOnce() {
        std::vector<std::string> env = environment();
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        const fs::path err = dir_ / "run.err";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        std::string exe = (dir_ / "bin" / "ocuvell").string();
        std::string report = "--report-shown"; // "shown" on stderr at the first paint
        char* argv[] = {exe.data(), report.data(), nullptr};
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);

        // A missing-file warning that waits for an answer gets one (Return on its OK).
        const std::string answer = std::string("DISPLAY=") + testDisplay() +
                                   " timeout 5 xdotool search --onlyvisible --name '^tips$' "
                                   "windowfocus key Return >/dev/null 2>&1";
        bool shown = false;
        for (int i = 0; i < 1500 && !shown; ++i) {
            std::this_thread::sleep_for(20ms);
            shown = testing::fileBytes(err).find("shown") != std::string::npos;
            if (!shown && i % 25 == 24 && haveXdotool_) [[maybe_unused]]
                const int ignored = std::system(answer.c_str());
        }
        EXPECT_TRUE(shown) << testing::fileBytes(err);
        int status = 0;
        EXPECT_EQ(waitpid(pid, &status, WNOHANG), 0) << "the program ended by itself";
        kill(pid, SIGTERM);
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
        GammaRamp left;
        EXPECT_TRUE(display_->readRamp(left));
        return left;
    }

    std::unique_ptr<Display> display_;
    GammaRamp saved_;
    fs::path dir_;
    fs::path record_;
    bool haveXdotool_ = false;
};

TEST_F(ColourRestart, EyeProtectionGivesTheSameRampAtEveryStart) {
    ASSERT_TRUE(display_->writeRamp(GammaRamp::identity()));
    storeColours(0, -20);
    const GammaRamp expected = tinted(GammaRamp::identity(), 0, -20);
    for (int start = 1; start <= 3; ++start) {
        const GammaRamp left = runOnce();
        EXPECT_EQ(left, expected) << "start " << start << ": blue tops at " << left.at(2, 255);
    }
    const auto record = parseRampRecord(testing::fileBytes(record_));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->base, GammaRamp::identity());
    EXPECT_EQ(record->applied, expected);
}

TEST_F(ColourRestart, BrightnessSetAgainAfterARestartGivesTheSameRamp) {
    ASSERT_TRUE(display_->writeRamp(GammaRamp::identity()));
    storeColours(-20, 0);
    const GammaRamp expected = tinted(GammaRamp::identity(), -20, 0);
    EXPECT_EQ(runOnce(), expected);
    EXPECT_EQ(runOnce(), expected);
}

TEST_F(ColourRestart, ARampSetByAnotherProgramBetweenRunsBecomesTheBase) {
    ASSERT_TRUE(display_->writeRamp(GammaRamp::identity()));
    storeColours(0, -20);
    runOnce();
    ASSERT_TRUE(display_->writeRamp(calibrated()));
    EXPECT_EQ(runOnce(), tinted(calibrated(), 0, -20));
    EXPECT_EQ(runOnce(), tinted(calibrated(), 0, -20));
}

TEST_F(ColourRestart, ACorruptRecordIsIgnoredAndNeverBlacksTheScreen) {
    ASSERT_TRUE(display_->writeRamp(GammaRamp::identity()));
    storeColours(0, -20);
    const GammaRamp first = runOnce();
    const std::string whole = testing::fileBytes(record_);
    ASSERT_FALSE(whole.empty());
    // Cut short, and then a record whose base is black: both are passed over, and the
    // display's ramp is the base as it would be without a record.
    const std::string broken[] = {
        whole.substr(0, whole.size() / 3),
        formatRampRecord({GammaRamp{}, first}),
    };
    for (const std::string& bytes : broken) {
        ASSERT_TRUE(display_->writeRamp(first));
        testing::putFile(record_, bytes);
        EXPECT_EQ(runOnce(), tinted(first, 0, -20));
        EXPECT_TRUE(parseRampRecord(testing::fileBytes(record_))) << "rewritten whole";
    }
}

} // namespace
} // namespace ocuvell
