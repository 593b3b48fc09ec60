#pragma once
// The line between a command line and the running copy: a local socket only this user can
// reach. One line of request, one reply, then the connection ends. One file per platform.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ocuvell {

// The running copy's end. The program's event loop watches fd() for reading (on Windows,
// event() for being signalled) and calls dispatch() when it is ready; dispatch() never
// blocks. A request over 4 KiB, a malformed
// one (the handler gives nothing), or a client that takes more than a second is dropped.
class RemoteServer {
  public:
    // The reply to send for a line, or nothing to drop the connection unanswered.
    using Handler = std::function<std::optional<std::string>(std::string_view line)>;

    virtual ~RemoteServer() = default;
    virtual int fd() const = 0;
    // Windows: the event handle to wait on; fd() gives -1 there.
    virtual void* event() const { return nullptr; }
    virtual void dispatch() = 0;
};

// Opened by the copy that holds the single-instance lock; nothing, with problem saying why,
// where it cannot be (a runtime folder other users can reach, a platform without one).
std::unique_ptr<RemoteServer> openRemoteServer(RemoteServer::Handler handler, std::string& problem);

// The command line's end: sends line and waits a few seconds for the reply.
struct RemoteExchange {
    enum class Result { Answered, NoRunningCopy, NoAnswer };
    Result result = Result::NoRunningCopy;
    std::string reply; // as received, when answered
    std::string why;   // otherwise, in a few words
};
RemoteExchange askRunningCopy(const std::string& line);

} // namespace ocuvell
