// The command line's named pipe: its access list, and hostile clients beside good ones. The
// server is served from this thread as the program's event loop would, waiting on its event.
#include "core/remote/remote_socket.h"

#include <windows.h>
// After windows.h, which they need.
#include <aclapi.h>
#include <sddl.h>

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ocuvell {
namespace {

using namespace std::chrono_literals;

// The pipe's name: one per user and logon session, in the pipes' machine-wide folder.
std::wstring pipeOfThisUser(std::wstring& sid) {
    HANDLE token = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
    char buffer[512];
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
    ::CloseHandle(token);
    wchar_t* text = nullptr;
    ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text);
    sid = text;
    ::LocalFree(text);
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    return L"\\\\.\\pipe\\Tevaro.Ocuvell." + sid + L"." + std::to_wstring(session);
}

class RemotePipe : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string problem;
        server = openRemoteServer(
            [this](std::string_view line) -> std::optional<std::string> {
                heard.emplace_back(line);
                if (line == "gibberish")
                    return std::nullopt;
                return "0\nheard " + std::string(line) + "\n";
            },
            problem);
        ASSERT_TRUE(server) << problem;
        ASSERT_NE(server->event(), nullptr);
    }

    // Serves as the event loop would until the work is done.
    template <class T> T serveUntil(std::future<T> work) {
        while (work.wait_for(0s) != std::future_status::ready) {
            ::WaitForSingleObject(server->event(), 20);
            server->dispatch();
        }
        return work.get();
    }

    void serveFor(std::chrono::milliseconds span) {
        const auto until = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < until) {
            ::WaitForSingleObject(server->event(), 20);
            server->dispatch();
        }
    }

    std::unique_ptr<RemoteServer> server;
    std::vector<std::string> heard;
};

HANDLE connectRaw(const std::wstring& name) {
    return ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                         nullptr);
}

TEST(RemotePipeAlone, NoRunningCopyIsSaidSo) {
    const RemoteExchange exchange = askRunningCopy("status");
    EXPECT_EQ(exchange.result, RemoteExchange::Result::NoRunningCopy);
    EXPECT_EQ(exchange.why, "Ocuvell is not running");
}

TEST_F(RemotePipe, OnlyThisUserMayOpenItAndASecondServerIsRefused) {
    std::wstring sid;
    const std::wstring name = pipeOfThisUser(sid);
    HANDLE client = connectRaw(name);
    ASSERT_NE(client, INVALID_HANDLE_VALUE);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR security = nullptr;
    ASSERT_EQ(::GetSecurityInfo(client, SE_KERNEL_OBJECT,
                                OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &dacl, nullptr, &security),
              ERROR_SUCCESS);
    wchar_t* text = nullptr;
    ASSERT_TRUE(::ConvertSecurityDescriptorToStringSecurityDescriptorW(
        security, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text,
        nullptr));
    const std::wstring sddl = text;
    ::LocalFree(text);
    ::LocalFree(security);
    ::CloseHandle(client);
    // One entry, allowing this user and no one else (all access, generic or mapped).
    // Owned by this user (the command line talks to no other owner's pipe).
    EXPECT_TRUE(sddl == L"O:" + sid + L"D:P(A;;FA;;;" + sid + L")" ||
                sddl == L"O:" + sid + L"D:P(A;;GA;;;" + sid + L")")
        << "the pipe's access list: " << testing::PrintToString(sddl);

    std::string problem;
    EXPECT_FALSE(openRemoteServer([](std::string_view) { return std::string(); }, problem));
    EXPECT_FALSE(problem.empty());
}

TEST_F(RemotePipe, HostileClientsAreDroppedAndGoodOnesAnswered) {
    std::wstring sid;
    const std::wstring name = pipeOfThisUser(sid);
    // A client that never sends, one whose line is over 4 KiB, and one whose line the
    // handler finds malformed: none gets an answer, none holds up the others.
    auto stalled = std::async(std::launch::async, [&name] { return connectRaw(name); });
    auto oversized = std::async(std::launch::async,
                                [] { return askRunningCopy(std::string(5000, 'x')).result; });
    auto malformed = std::async(std::launch::async, [] { return askRunningCopy("gibberish"); });
    const HANDLE quiet = serveUntil(std::move(stalled));
    ASSERT_NE(quiet, INVALID_HANDLE_VALUE);
    EXPECT_EQ(serveUntil(std::move(oversized)), RemoteExchange::Result::NoAnswer);
    EXPECT_EQ(serveUntil(std::move(malformed)).result, RemoteExchange::Result::NoAnswer);

    // More clients at once than the pipe has instances: each waits its turn and is answered.
    std::vector<std::future<RemoteExchange>> crowd;
    for (int i = 0; i < 12; ++i)
        crowd.push_back(std::async(std::launch::async,
                                   [i] { return askRunningCopy("status " + std::to_string(i)); }));
    for (int i = 0; i < 12; ++i) {
        const RemoteExchange exchange = serveUntil(std::move(crowd[i]));
        EXPECT_EQ(exchange.result, RemoteExchange::Result::Answered) << exchange.why;
        EXPECT_EQ(exchange.reply, "0\nheard status " + std::to_string(i) + "\n");
    }
    // The oversized line was never handed on; the stalled client's second runs out.
    for (const std::string& line : heard)
        EXPECT_LT(line.size(), 4097u);
    serveFor(1300ms);
    DWORD waiting = 0;
    EXPECT_FALSE(::PeekNamedPipe(quiet, nullptr, 0, nullptr, &waiting, nullptr));
    ::CloseHandle(quiet);
}

} // namespace
} // namespace ocuvell
