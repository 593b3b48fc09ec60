// The instance mutex across real processes: this executable starts copies of itself.
#include "core/instance/single_instance.h"

#include <windows.h>

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace ocuvell {
namespace {

constexpr int kClaimed = 0;
constexpr int kRefused = 3;

// Child mode: claim, report through the exit code, and with "hold" keep the claim until
// killed, after signalling the named event.
int childMain(const char* name, bool hold) {
    auto claim = claimSingleInstance(name);
    if (!claim)
        return kRefused;
    if (hold) {
        HANDLE ready =
            ::OpenEventA(EVENT_MODIFY_STATE, FALSE, (std::string(name) + "-ready").c_str());
        ::SetEvent(ready);
        ::Sleep(INFINITE);
    }
    return kClaimed;
}

PROCESS_INFORMATION startChild(const std::string& name, bool hold) {
    char exe[MAX_PATH];
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string command = std::string("\"") + exe + "\" --claim " + name + (hold ? " hold" : "");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        ADD_FAILURE() << "CreateProcess failed: " << ::GetLastError();
    return process;
}

DWORD exitCodeOf(const std::string& name) {
    PROCESS_INFORMATION child = startChild(name, false);
    EXPECT_EQ(::WaitForSingleObject(child.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 0xffff;
    ::GetExitCodeProcess(child.hProcess, &code);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    return code;
}

std::string uniqueName(const char* base) {
    return std::string(base) + "-" + std::to_string(::GetCurrentProcessId());
}

TEST(SingleInstanceWin32, SecondClaimIsRefusedUntilTheFirstEnds) {
    const std::string name = uniqueName("ocuvell-test");
    auto first = claimSingleInstance(name);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(claimSingleInstance(name), nullptr);
    EXPECT_NE(claimSingleInstance(name + "-other"), nullptr);
    EXPECT_EQ(exitCodeOf(name), DWORD(kRefused)) << "another process got the claim";
    first.reset();
    EXPECT_EQ(exitCodeOf(name), DWORD(kClaimed));
    EXPECT_NE(claimSingleInstance(name), nullptr);
}

TEST(SingleInstanceWin32, KilledHolderDoesNotBlockTheNextStart) {
    const std::string name = uniqueName("ocuvell-crash");
    HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, (name + "-ready").c_str());
    PROCESS_INFORMATION holder = startChild(name, true);
    ASSERT_EQ(::WaitForSingleObject(ready, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(claimSingleInstance(name), nullptr);
    ::TerminateProcess(holder.hProcess, 9); // never releases the mutex itself
    ::WaitForSingleObject(holder.hProcess, 30000);
    ::CloseHandle(holder.hThread);
    ::CloseHandle(holder.hProcess);
    ::CloseHandle(ready);
    EXPECT_NE(claimSingleInstance(name), nullptr);
}

TEST(SingleInstanceWin32, BackslashInTheNameStillLocks) {
    const std::string name = uniqueName("ocuvell\\slash");
    auto first = claimSingleInstance(name);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(claimSingleInstance(name), nullptr);
}

} // namespace
} // namespace ocuvell

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--claim") == 0)
        return ocuvell::childMain(argv[2], argc >= 4 && std::strcmp(argv[3], "hold") == 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
