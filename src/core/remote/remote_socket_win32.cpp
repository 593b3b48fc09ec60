// A named pipe of this user's alone: its access list names only the user's SID, remote
// clients are refused, and this copy must create it first (a pipe of that name made by
// someone else is reported, never joined). Every pipe instance works overlapped and signals
// one event, so the event loop waits on a single handle and dispatch() never blocks.
#include "core/remote/remote_request.h"
#include "core/remote/remote_socket.h"

#include <array>
#include <chrono>
#include <utility>
#include <windows.h>
// After windows.h, which they need.
#include <aclapi.h>
#include <sddl.h>

namespace ocuvell {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kClientDeadline = std::chrono::seconds(1);
constexpr auto kAnswerWait = std::chrono::seconds(5);
// Clients beyond this many at once wait for a free instance (the command line waits up to
// its own deadline), so a crowd costs the program no more than this.
constexpr std::size_t kInstances = 4;
constexpr DWORD kBufferBytes = 4096;

std::string lastError(const char* what) {
    return std::string(what) + " failed (error " + std::to_string(::GetLastError()) + ")";
}

// The user this process runs as, as an SID string ("S-1-5-21-...").
std::wstring userSid() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    std::wstring text;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    if (size && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        wchar_t* sid = nullptr;
        if (::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid,
                                     &sid)) {
            text = sid;
            ::LocalFree(sid);
        }
    }
    ::CloseHandle(token);
    return text;
}

// One pipe per user and logon session, as the single-instance lock is per session: a second
// session of the same user runs a copy of its own. Pipe names are machine-wide, hence both.
std::wstring pipeName(const std::wstring& sid) {
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    std::wstring name = L"\\\\.\\pipe\\Tevaro.Ocuvell.";
    name += sid;
    name += L'.';
    name += std::to_wstring(session);
    return name;
}

// Whether the pipe is this user's own. Anyone may make a pipe of any free name: one made
// first by another user would otherwise hear the command and answer it.
bool ownedBy(HANDLE pipe, const std::wstring& sid) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR security = nullptr;
    if (::GetSecurityInfo(pipe, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, &security) != ERROR_SUCCESS)
        return false;
    wchar_t* text = nullptr;
    const bool same = owner && ::ConvertSidToStringSidW(owner, &text) && sid == text;
    if (text)
        ::LocalFree(text);
    ::LocalFree(security);
    return same;
}

class PipeServer final : public RemoteServer {
  public:
    PipeServer(Handler handler, std::wstring name, PSECURITY_DESCRIPTOR security, HANDLE event)
        : handler_(std::move(handler)), name_(std::move(name)), security_(security), event_(event) {
    }

    ~PipeServer() override {
        disarmTimer();
        for (Instance& i : instances_)
            close(i);
        ::CloseHandle(event_);
        ::LocalFree(security_);
    }

    // The first instance is made here, so a pipe of this name that is someone else's is
    // found before the server is handed out.
    bool start(std::string& problem) {
        for (std::size_t n = 0; n < instances_.size(); ++n) {
            Instance& i = instances_[n];
            SECURITY_ATTRIBUTES attributes{sizeof attributes, security_, FALSE};
            const DWORD first = n == 0 ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0;
            i.pipe = ::CreateNamedPipeW(
                name_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | first,
                PIPE_TYPE_MESSAGE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                kInstances, kBufferBytes, kBufferBytes, 0, &attributes);
            if (i.pipe == INVALID_HANDLE_VALUE) {
                problem = ::GetLastError() == ERROR_ACCESS_DENIED
                              ? "the command line's pipe is already taken by another program"
                              : lastError("CreateNamedPipe");
                return false;
            }
            i.io.hEvent = event_;
            listen(i);
        }
        finish();
        return true;
    }

    int fd() const override { return -1; }
    void* event() const override { return event_; }

    void dispatch() override {
        // Reset first: whatever completes from here on sets it again.
        ::ResetEvent(event_);
        const Clock::time_point now = Clock::now();
        for (Instance& i : instances_) {
            if (i.pipe == INVALID_HANDLE_VALUE)
                continue;
            if (i.state != State::Listening && i.deadline <= now) {
                restart(i);
                continue;
            }
            advance(i);
        }
        finish();
    }

  private:
    // Writing ends when the reply is in the pipe; Draining waits for the client to close
    // its end after reading it, as a disconnection would throw away what it has not read.
    enum class State { Listening, Reading, Writing, Draining };
    struct Instance {
        HANDLE pipe = INVALID_HANDLE_VALUE;
        OVERLAPPED io{};
        State state = State::Listening;
        bool pending = false;   // a step under way in io
        bool connected = false; // a client came before the instance listened
        Clock::time_point deadline;
        std::string bytes;
        std::array<char, 1024> chunk{};
        std::string reply;
    };

    void advance(Instance& i) {
        if (!i.pending) {
            if (std::exchange(i.connected, false))
                stepDone(i, true, 0);
            return;
        }
        if (!HasOverlappedIoCompleted(&i.io))
            return;
        DWORD got = 0;
        const bool ok = ::GetOverlappedResult(i.pipe, &i.io, &got, FALSE) != FALSE;
        i.pending = false;
        stepDone(i, ok, got);
    }

    // A finished step of an instance: what it brought, and the next step.
    void stepDone(Instance& i, bool ok, DWORD got) {
        if (!ok && i.state != State::Listening)
            return clientGone(i);
        switch (i.state) {
        case State::Listening:
            i.state = State::Reading;
            i.deadline = Clock::now() + kClientDeadline;
            i.bytes.clear();
            return read(i);
        case State::Reading:
            i.bytes.append(i.chunk.data(), got);
            return lineOrMore(i);
        case State::Writing:
            i.state = State::Draining;
            return read(i);
        case State::Draining:
            // The client sent more than its one line; it has had its answer.
            return restart(i);
        }
    }

    // The client closed its end: a line without its end is still a line (with no one to
    // answer it).
    void clientGone(Instance& i) {
        if (i.state == State::Reading && !i.bytes.empty() && i.bytes.size() <= kMaxRequestBytes)
            (void)handler_(i.bytes);
        restart(i);
    }

    void lineOrMore(Instance& i) {
        const std::size_t end = i.bytes.find('\n');
        if (end == std::string::npos) {
            if (i.bytes.size() > kMaxRequestBytes)
                return restart(i);
            return read(i);
        }
        if (end > kMaxRequestBytes)
            return restart(i);
        const std::optional<std::string> reply = handler_(i.bytes.substr(0, end));
        if (!reply)
            return restart(i);
        // One message: the command line reads it whole and knows the reply has ended.
        i.reply = *reply;
        i.state = State::Writing;
        if (!::WriteFile(i.pipe, i.reply.data(), static_cast<DWORD>(i.reply.size()), nullptr,
                         &i.io) &&
            ::GetLastError() != ERROR_IO_PENDING)
            return restart(i);
        i.pending = true;
    }

    void read(Instance& i) {
        // At most one byte past the limit is kept: enough to know the line is too long.
        const std::size_t kept = std::min(i.bytes.size(), kMaxRequestBytes + 1);
        const std::size_t want = std::min(i.chunk.size(), kMaxRequestBytes + 2 - kept);
        // Done at once or not, its completion sets the event and is taken from there.
        if (::ReadFile(i.pipe, i.chunk.data(), static_cast<DWORD>(want), nullptr, &i.io) ||
            ::GetLastError() == ERROR_IO_PENDING) {
            i.pending = true;
            return;
        }
        clientGone(i);
    }

    // The connection ends, answered or not, and the instance waits for the next client.
    void restart(Instance& i) {
        if (i.pending) {
            ::CancelIoEx(i.pipe, &i.io);
            DWORD ignored = 0;
            ::GetOverlappedResult(i.pipe, &i.io, &ignored, TRUE);
            i.pending = false;
        }
        ::DisconnectNamedPipe(i.pipe);
        i.bytes.clear();
        i.reply.clear();
        listen(i);
    }

    void listen(Instance& i) {
        i.state = State::Listening;
        if (::ConnectNamedPipe(i.pipe, &i.io)) {
            i.pending = true; // connected at once; the event is set
            return;
        }
        switch (::GetLastError()) {
        case ERROR_IO_PENDING:
            i.pending = true;
            return;
        case ERROR_PIPE_CONNECTED:
            // A client came between the instance's making and now: taken next dispatch.
            i.pending = false;
            i.connected = true;
            return;
        case ERROR_NO_DATA:
            // A client that came and went: the next one is waited for.
            if (::DisconnectNamedPipe(i.pipe) && ::ConnectNamedPipe(i.pipe, &i.io) == FALSE &&
                ::GetLastError() == ERROR_IO_PENDING) {
                i.pending = true;
                return;
            }
            [[fallthrough]];
        default:
            // This instance is out of order; the others still serve.
            close(i);
        }
    }

    void close(Instance& i) {
        if (i.pipe == INVALID_HANDLE_VALUE)
            return;
        if (i.pending) {
            ::CancelIoEx(i.pipe, &i.io);
            DWORD ignored = 0;
            ::GetOverlappedResult(i.pipe, &i.io, &ignored, TRUE);
        }
        ::CloseHandle(i.pipe);
        i.pipe = INVALID_HANDLE_VALUE;
        i.pending = false;
    }

    // Starting I/O resets the shared event, so a step that completed during this dispatch
    // is looked for again here and the event set for it; the earliest deadline gets a timer
    // that sets the event too.
    void finish() {
        std::optional<Clock::time_point> earliest;
        for (Instance& i : instances_) {
            if (i.pipe == INVALID_HANDLE_VALUE)
                continue;
            if (i.connected || (i.pending && HasOverlappedIoCompleted(&i.io)))
                ::SetEvent(event_);
            if (i.state != State::Listening && (!earliest || i.deadline < *earliest))
                earliest = i.deadline;
        }
        if (earliest == armedFor_)
            return;
        disarmTimer();
        if (!earliest)
            return;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(*earliest - Clock::now()).count();
        if (::CreateTimerQueueTimer(&timer_, nullptr, &PipeServer::timerFired, event_,
                                    static_cast<DWORD>(std::max<long long>(left, 0) + 1), 0,
                                    WT_EXECUTEONLYONCE))
            armedFor_ = earliest;
        else
            timer_ = nullptr;
    }

    void disarmTimer() {
        if (timer_)
            // Waits for a callback under way, which only sets the event.
            ::DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);
        timer_ = nullptr;
        armedFor_.reset();
    }

    static void CALLBACK timerFired(void* event, BOOLEAN) {
        ::SetEvent(static_cast<HANDLE>(event));
    }

    Handler handler_;
    std::wstring name_;
    PSECURITY_DESCRIPTOR security_;
    HANDLE event_;
    HANDLE timer_ = nullptr;
    std::optional<Clock::time_point> armedFor_;
    std::array<Instance, kInstances> instances_{};
};

} // namespace

std::unique_ptr<RemoteServer> openRemoteServer(RemoteServer::Handler handler,
                                               std::string& problem) {
    const std::wstring sid = userSid();
    if (sid.empty()) {
        problem = lastError("reading this user's SID");
        return nullptr;
    }
    // Owned by this user (an elevated copy would otherwise give it to the administrators,
    // and the command line checks the owner), protected (no inherited entries), full access
    // for this user and no one else.
    const std::wstring sddl = L"O:" + sid + L"D:P(A;;GA;;;" + sid + L")";
    PSECURITY_DESCRIPTOR security = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                &security, nullptr)) {
        problem = lastError("making the pipe's access list");
        return nullptr;
    }
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!event) {
        ::LocalFree(security);
        problem = lastError("CreateEvent");
        return nullptr;
    }
    auto server = std::make_unique<PipeServer>(std::move(handler), pipeName(sid), security, event);
    if (!server->start(problem))
        return nullptr;
    return server;
}

RemoteExchange askRunningCopy(const std::string& line) {
    RemoteExchange exchange;
    const std::wstring sid = userSid();
    if (sid.empty()) {
        exchange.why = lastError("reading this user's SID");
        return exchange;
    }
    const std::wstring name = pipeName(sid);
    const Clock::time_point until = Clock::now() + kAnswerWait;
    const auto msLeft = [&until] {
        return std::max<long long>(
            0, std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count());
    };
    HANDLE pipe = INVALID_HANDLE_VALUE;
    for (;;) {
        pipe = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                             nullptr);
        if (pipe != INVALID_HANDLE_VALUE)
            break;
        // Every instance busy with other clients: wait for one, within the deadline.
        if (::GetLastError() != ERROR_PIPE_BUSY || msLeft() == 0) {
            exchange.why = "Ocuvell is not running";
            return exchange;
        }
        ::WaitNamedPipeW(name.c_str(), static_cast<DWORD>(std::min<long long>(msLeft(), 500)));
    }
    if (!ownedBy(pipe, sid)) {
        ::CloseHandle(pipe);
        exchange.why = "the pipe of this user's copy belongs to another user; nothing was sent";
        return exchange;
    }
    exchange.result = RemoteExchange::Result::NoAnswer;
    exchange.why = "the running copy did not answer";
    OVERLAPPED io{};
    io.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // One step of overlapped I/O waited for until the deadline; false when it failed or
    // the deadline passed (the step is cancelled then).
    const auto step = [&](bool write, void* data, DWORD size, DWORD& done) {
        const BOOL now = write ? ::WriteFile(pipe, data, size, nullptr, &io)
                               : ::ReadFile(pipe, data, size, nullptr, &io);
        done = 0;
        if (!now && ::GetLastError() != ERROR_IO_PENDING && ::GetLastError() != ERROR_MORE_DATA)
            return false;
        if (::WaitForSingleObject(io.hEvent, static_cast<DWORD>(msLeft())) != WAIT_OBJECT_0)
            ::CancelIoEx(pipe, &io);
        return ::GetOverlappedResult(pipe, &io, &done, TRUE) != FALSE;
    };
    std::string request = line + "\n";
    DWORD done = 0;
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (io.hEvent && ::SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr) &&
        step(true, request.data(), static_cast<DWORD>(request.size()), done) &&
        done == request.size()) {
        // The reply is one message: read until a read ends without more of it to come.
        std::string reply;
        char chunk[4096];
        bool whole = false;
        while (!whole) {
            whole = step(false, chunk, sizeof chunk, done);
            if (!whole && ::GetLastError() != ERROR_MORE_DATA)
                break;
            reply.append(chunk, done);
        }
        if (whole && !reply.empty()) {
            exchange.result = RemoteExchange::Result::Answered;
            exchange.reply = std::move(reply);
        }
    }
    if (io.hEvent)
        ::CloseHandle(io.hEvent);
    ::CloseHandle(pipe);
    return exchange;
}

} // namespace ocuvell
