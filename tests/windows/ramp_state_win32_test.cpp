// The remembered ramps on Windows: the record's folder under %LOCALAPPDATA%, its whole-file
// writes, and restarts through the GDI display. Under Wine the GDI ramp goes to the dummy X
// server, which gives back 8 bits of each entry: the record must still recognise its own
// ramp, so a restart computes from the first run's base instead of tinting its own tint.
// Has its own main: a restart in a new process starts a copy of this program.
#include "core/display/backends.h"
#include "core/display/gamma_engine.h"
#include "core/display/ramp_state.h"
#include "core/io/whole_file.h"
#include "core/settings/state_dir.h"
#include "support/scratch_dir.h"
#include "windows/gdi_fixture.h"

#ifndef NOMINMAX
#define NOMINMAX // keep std::min and std::max usable under MSVC
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace ocuvell {
namespace {

namespace fs = std::filesystem;

using testing::kServerStep;

// Exit codes of the child modes.
constexpr int kChildOk = 0;
constexpr int kChildNoDisplay = 3;
constexpr int kChildFailed = 4;

GammaRamp levels(int red, int green, int blue) {
    GammaRamp ramp;
    const int level[3] = {red, green, blue};
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < GammaRamp::kSize; ++j)
            ramp.at(c, j) = levelTransfer(level[c], static_cast<std::uint16_t>(257 * j));
    return ramp;
}

// What the colour page builds from base with only blue moved.
GammaRamp blueTint(const GammaRamp& base, int blue) {
    GammaRamp out = base;
    for (int j = 0; j < GammaRamp::kSize; ++j)
        out.at(2, j) = levelTransfer(blue, base.at(2, j));
    return out;
}

int largestDifference(const GammaRamp& a, const GammaRamp& b) {
    int most = 0;
    for (std::size_t i = 0; i < a.entries.size(); ++i)
        most = std::max(most, std::abs(int(a.entries[i]) - int(b.entries[i])));
    return most;
}

std::wstring environment(const wchar_t* name) {
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    value.resize(::GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

// Sets (or, with nullptr, removes) a variable for this test and the processes it starts.
class ScopedVariable {
  public:
    ScopedVariable(const wchar_t* name, const wchar_t* value) : name_(name) {
        had_ = ::GetEnvironmentVariableW(name, nullptr, 0) != 0;
        old_ = environment(name);
        ::SetEnvironmentVariableW(name, value);
    }
    ScopedVariable(const wchar_t* name, const fs::path& value)
        : ScopedVariable(name, value.c_str()) {}
    ~ScopedVariable() { ::SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const wchar_t* name_;
    std::wstring old_;
    bool had_ = false;
};

fs::path recordFile() {
    return stateDirectory() / kRampStateFileName;
}

// --- The folder and the file ------------------------------------------------------------

TEST(RampStateWin32, FolderIsLocalAppDataOcuvellElseTheProfilesOwn) {
    const std::wstring wineOwn = environment(L"LOCALAPPDATA");
    if (!wineOwn.empty()) { // as the system sets it for the user
        EXPECT_EQ(stateDirectory(), fs::path(wineOwn) / "Ocuvell");
        EXPECT_TRUE(stateDirectory().is_absolute()) << stateDirectory().string();
    }
    const fs::path dir = testing::freshTestDir("windows");
    // A user name outside ASCII, as many are.
    const fs::path profile = dir / L"\u7528\u6237 caf\u00e9";
    ScopedVariable userProfile(L"USERPROFILE", profile);
    {
        ScopedVariable local(L"LOCALAPPDATA", profile / "AppData" / "Local");
        EXPECT_EQ(stateDirectory(), profile / "AppData" / "Local" / "Ocuvell");
    }
    {
        ScopedVariable local(L"LOCALAPPDATA", nullptr);
        EXPECT_EQ(stateDirectory(), profile / "AppData" / "Local" / "Ocuvell");
        // A relative value would put the record wherever the program was started from.
        ScopedVariable relativeProfile(L"USERPROFILE", L"someone");
        EXPECT_EQ(stateDirectory(), fs::path());
    }
    {
        ScopedVariable local(L"LOCALAPPDATA", L"AppData\\Local");
        EXPECT_EQ(stateDirectory(), profile / "AppData" / "Local" / "Ocuvell");
    }
    {
        ScopedVariable local(L"LOCALAPPDATA", nullptr);
        ScopedVariable noProfile(L"USERPROFILE", nullptr);
        EXPECT_EQ(stateDirectory(), fs::path()); // the program then keeps no record
    }
}

TEST(RampStateWin32, RecordIsReplacedWholeAndReadBack) {
    const fs::path dir = testing::freshTestDir("windows");
    const fs::path profile = dir / L"\u7528\u6237 caf\u00e9";
    ScopedVariable local(L"LOCALAPPDATA", profile / "AppData" / "Local");
    const fs::path file = recordFile();
    ASSERT_FALSE(fs::exists(file.parent_path())); // the folders come with the first write

    const GammaRamp base = levels(0, -5, -12);
    RampState(file).applied(base, blueTint(base, -20));
    ASSERT_TRUE(fs::is_regular_file(file)) << file.string();
    EXPECT_EQ(parseRampRecord(testing::fileBytes(file)), (RampRecord{base, blueTint(base, -20)}));

    // Replacing an existing record leaves only the record, whatever was there before: a
    // temporary file of a writer that ended before its rename goes too.
    testing::putFile(file.parent_path() / ".ramps.txt.tmp-2147483640-3", "half");
    RampState(file).applied(base, blueTint(base, -30));
    EXPECT_EQ(parseRampRecord(testing::fileBytes(file))->applied, blueTint(base, -30));
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1);

    // Read back as the next start does, through a display that keeps 8 bits.
    GammaRamp shown = blueTint(base, -30);
    for (auto& e : shown.entries)
        e = static_cast<std::uint16_t>((e >> 8) * 257);
    EXPECT_EQ(RampState(file).baseFor(shown), base);
    EXPECT_EQ(RampState(file).baseFor(levels(-40, 0, 0)), std::nullopt);

    // A record a Windows editor saved with CR LF line ends is still ours.
    std::string crlf;
    for (char ch : testing::fileBytes(file))
        crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    testing::putFile(file, crlf);
    EXPECT_EQ(RampState(file).baseFor(blueTint(base, -30)), base);

    // A write that cannot happen says why and leaves the place as it was.
    const fs::path blocked = file.parent_path() / "blocked";
    fs::create_directories(blocked / "inside");
    std::string why;
    EXPECT_FALSE(replaceWholeFile(blocked, "x", {}, why));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(fs::is_directory(blocked / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 2);
}

// --- Restarts through GDI ---------------------------------------------------------------

struct Started {
    GammaRamp base;    // what the engine computes from after its capture
    GammaRamp applied; // the ramp it put on the display
};

// One run of the program with eye protection on: a display and a record of its own, the
// capture, the stored colour, then the end (engine and device context released).
std::optional<Started> startAndEnd(int blue, std::string* why) {
    DisplayTrouble trouble = DisplayTrouble::NoTrouble;
    auto display = openGdiDisplay(&trouble);
    if (!display) {
        *why = troubleWords(trouble);
        return std::nullopt;
    }
    const fs::path folder = stateDirectory();
    if (folder.empty()) {
        *why = "no state folder";
        return std::nullopt;
    }
    GammaEngine engine(std::move(display));
    engine.keepRecord(std::make_unique<RampState>(folder / kRampStateFileName));
    if (!engine.capture() || !engine.colour(0, 0, blue)) {
        *why = "capture or apply failed";
        return std::nullopt;
    }
    return Started{engine.baseramp(), engine.newramp()};
}

class GdiRestart : public testing::GdiFixture {
  protected:
    void SetUp() override {
        GdiFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        local.emplace(L"LOCALAPPDATA", testing::freshTestDir("windows") / "Local");
        // The user's own calibration, there before the program ever ran.
        ASSERT_TRUE(display->writeRamp(calibration));
    }
    GammaRamp shown() {
        GammaRamp ramp;
        EXPECT_TRUE(display->readRamp(ramp));
        return ramp;
    }
    Started run(int blue) {
        std::string why;
        const std::optional<Started> r = startAndEnd(blue, &why);
        EXPECT_TRUE(r) << why;
        return r.value_or(Started{});
    }

    const GammaRamp calibration = levels(0, -5, -12);
    // display stands for the screen between runs.
    std::optional<ScopedVariable> local;
};

TEST_F(GdiRestart, RestartComputesFromTheFirstRunsBaseWithinWinesEightBits) {
    const Started first = run(-20);
    // The base is the calibration as the display gives it back: 8 bits of each entry.
    EXPECT_LE(largestDifference(first.base, calibration), kServerStep);
    EXPECT_EQ(first.applied, blueTint(first.base, -20));
    const GammaRamp firstShown = shown();
    EXPECT_LE(largestDifference(firstShown, first.applied), kServerStep);
    std::printf("the display gave back the applied ramp at most %d off\n",
                largestDifference(firstShown, first.applied));

    for (int restart = 1; restart <= 3; ++restart) {
        const Started again = run(-20);
        EXPECT_EQ(again.base, first.base) << "restart " << restart;
        EXPECT_EQ(again.applied, first.applied) << "restart " << restart;
        EXPECT_EQ(shown(), firstShown) << "restart " << restart;
    }
    // Not tinted twice: blue's brightest entry is the calibration's, less 20 %, once.
    EXPECT_NEAR(shown().at(2, 255), levelTransfer(-20, calibration.at(2, 255)), kServerStep);

    // Eye protection off after a restart gives the calibration back, not a tinted base.
    EXPECT_EQ(run(0).applied, first.base);
    EXPECT_LE(largestDifference(shown(), calibration), kServerStep);
}

TEST_F(GdiRestart, ARampSetByAnotherProgramBetweenRunsBecomesTheBase) {
    const Started first = run(-20);
    const GammaRamp foreign = levels(-30, -10, 0);
    ASSERT_TRUE(display->writeRamp(foreign));
    const GammaRamp foreignShown = shown();

    const Started second = run(-20);
    EXPECT_EQ(second.base, foreignShown);
    EXPECT_NE(second.base, first.base);
    EXPECT_EQ(second.applied, blueTint(foreignShown, -20));
    // And from then on it is the remembered base.
    EXPECT_EQ(run(-20).base, foreignShown);
    EXPECT_EQ(parseRampRecord(testing::fileBytes(recordFile()))->base, foreignShown);
}

// A real restart is a new process with its own device context. argument: the blue level,
// or "foreign" for another program that only sets a ramp.
int childMain(const char* argument) {
    if (std::strcmp(argument, "foreign") == 0) {
        auto other = openGdiDisplay(nullptr);
        if (!other)
            return kChildNoDisplay;
        return other->writeRamp(levels(-25, 0, -5)) ? kChildOk : kChildFailed;
    }
    std::string why;
    if (!startAndEnd(std::atoi(argument), &why)) {
        std::fprintf(stderr, "child run: %s\n", why.c_str());
        return kChildFailed;
    }
    return kChildOk;
}

DWORD runChild(const std::string& argument) {
    wchar_t exe[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring command = std::wstring(L"\"") + exe + L"\" --ocuvell-child " +
                           std::wstring(argument.begin(), argument.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        ADD_FAILURE() << "CreateProcess failed: " << ::GetLastError();
        return 0xffff;
    }
    DWORD code = 0xffff;
    EXPECT_EQ(::WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
}

TEST_F(GdiRestart, RestartsAsNewProcessesKeepTheRamp) {
    ASSERT_EQ(runChild("-20"), DWORD{kChildOk});
    const std::optional<RampRecord> first = parseRampRecord(testing::fileBytes(recordFile()));
    ASSERT_TRUE(first);
    const GammaRamp firstShown = shown();
    EXPECT_LE(largestDifference(first->base, calibration), kServerStep);
    EXPECT_EQ(first->applied, blueTint(first->base, -20));
    EXPECT_LE(largestDifference(firstShown, first->applied), kServerStep);
    for (int restart = 1; restart <= 2; ++restart) {
        ASSERT_EQ(runChild("-20"), DWORD{kChildOk});
        EXPECT_EQ(parseRampRecord(testing::fileBytes(recordFile())), first);
        EXPECT_EQ(shown(), firstShown) << "restart " << restart;
    }

    ASSERT_EQ(runChild("foreign"), DWORD{kChildOk});
    const GammaRamp foreignShown = shown();
    EXPECT_LE(largestDifference(foreignShown, levels(-25, 0, -5)), kServerStep);
    ASSERT_EQ(runChild("-20"), DWORD{kChildOk});
    const std::optional<RampRecord> after = parseRampRecord(testing::fileBytes(recordFile()));
    ASSERT_TRUE(after);
    EXPECT_EQ(after->base, foreignShown);
    EXPECT_LE(largestDifference(shown(), blueTint(foreignShown, -20)), kServerStep);
}

} // namespace
} // namespace ocuvell

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--ocuvell-child") == 0)
        return ocuvell::childMain(argv[2]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
