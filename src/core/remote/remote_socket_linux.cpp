// The socket in the user's runtime folder, served through one epoll descriptor (the
// listening socket, the clients and a timer for their deadlines), so the event loop
// watches a single file and the program does no work until a client comes.
#include "core/remote/remote_request.h"
#include "core/remote/remote_socket.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <unistd.h>

namespace ocuvell {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kClientDeadline = std::chrono::seconds(1);
constexpr auto kAnswerWait = std::chrono::seconds(5);
// Clients beyond this many at once push out the oldest, which has waited longest.
constexpr std::size_t kMaxClients = 32;

// The user's runtime folder, which must be a folder of this user that no one else can
// enter; without one, the same private folder in the temporary folder as the instance
// lock's.
bool socketPath(std::string& path, std::string& why) {
    std::string dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        dir = runtime;
    } else {
        dir = "/tmp/ocuvell-" + std::to_string(::getuid());
        if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
            why = dir + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) {
        why = dir + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        why = dir + " is not a folder of this user's alone (mode 0700)";
        return false;
    }
    path = dir + "/ocuvell-" + std::to_string(::getuid()) + ".socket";
    if (path.size() >= sizeof(sockaddr_un::sun_path)) {
        why = path + ": the path is too long for a socket";
        return false;
    }
    return true;
}

sockaddr_un addressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

class UnixServer final : public RemoteServer {
  public:
    UnixServer(Handler handler, std::string path, int listener, int epoll, int timer)
        : handler_(std::move(handler)), path_(std::move(path)), listener_(listener), epoll_(epoll),
          timer_(timer) {}
    ~UnixServer() override {
        while (!clients_.empty())
            drop(clients_.front().fd);
        ::close(timer_);
        ::close(epoll_);
        ::close(listener_);
        ::unlink(path_.c_str());
    }
    int fd() const override { return epoll_; }

    void dispatch() override {
        epoll_event events[16];
        const int n = ::epoll_wait(epoll_, events, 16, 0);
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            if (fd == listener_)
                acceptClients();
            else if (fd == timer_)
                dropLate();
            else
                readFrom(fd);
        }
        armTimer();
    }

  private:
    struct Client {
        int fd;
        Clock::time_point deadline;
        std::string bytes;
    };

    void acceptClients() {
        for (;;) {
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0)
                return; // none left, or out of descriptors: the rest wait in the backlog
            ucred peer{};
            socklen_t size = sizeof peer;
            if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
                peer.uid != ::geteuid()) {
                ::close(fd);
                continue;
            }
            if (clients_.size() >= kMaxClients)
                drop(clients_.front().fd);
            epoll_event event{};
            event.events = EPOLLIN;
            event.data.fd = fd;
            if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) != 0) {
                ::close(fd);
                continue;
            }
            clients_.push_back({fd, Clock::now() + kClientDeadline, {}});
        }
    }

    Client* find(int fd) {
        for (Client& c : clients_)
            if (c.fd == fd)
                return &c;
        return nullptr;
    }

    void drop(int fd) {
        ::epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
        ::close(fd);
        std::erase_if(clients_, [fd](const Client& c) { return c.fd == fd; });
    }

    void readFrom(int fd) {
        Client* client = find(fd);
        if (!client)
            return;
        char chunk[1024];
        // At most one byte past the limit is read: enough to know the line is too long.
        const std::size_t room = kMaxRequestBytes + 2 - client->bytes.size();
        const ssize_t got = ::recv(fd, chunk, std::min(sizeof chunk, room), 0);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (got > 0)
            client->bytes.append(chunk, static_cast<std::size_t>(got));
        const std::size_t end = client->bytes.find('\n');
        if (end == std::string::npos) {
            // The line ends with the connection's end too.
            if (got <= 0 && !client->bytes.empty() && client->bytes.size() <= kMaxRequestBytes)
                return answer(fd, client->bytes);
            if (got <= 0 || client->bytes.size() > kMaxRequestBytes)
                drop(fd);
            return;
        }
        if (end > kMaxRequestBytes)
            return drop(fd);
        answer(fd, client->bytes.substr(0, end));
    }

    void answer(int fd, const std::string& line) {
        const std::optional<std::string> reply = handler_(line);
        // A reply of a few hundred bytes fits the socket's buffer: a client that does not
        // read it loses it rather than holding the program.
        if (reply)
            (void)::send(fd, reply->data(), reply->size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        drop(fd);
    }

    void dropLate() {
        std::uint64_t expirations = 0;
        if (::read(timer_, &expirations, sizeof expirations) < 0)
            expirations = 0; // nothing new: the deadlines below say what is late
        const Clock::time_point now = Clock::now();
        while (!clients_.empty() && clients_.front().deadline <= now)
            drop(clients_.front().fd);
    }

    // The timer follows the oldest client's deadline; clients come in order, so that is
    // the earliest.
    void armTimer() {
        itimerspec when{};
        if (!clients_.empty()) {
            const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
                clients_.front().deadline - Clock::now());
            const long long ns = std::max<long long>(left.count(), 1);
            when.it_value.tv_sec = static_cast<time_t>(ns / 1000000000);
            when.it_value.tv_nsec = static_cast<long>(ns % 1000000000);
        }
        ::timerfd_settime(timer_, 0, &when, nullptr);
    }

    Handler handler_;
    std::string path_;
    int listener_, epoll_, timer_;
    std::deque<Client> clients_;
};

bool watch(int epoll, int fd) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    return ::epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event) == 0;
}

} // namespace

std::unique_ptr<RemoteServer> openRemoteServer(RemoteServer::Handler handler,
                                               std::string& problem) {
    std::string path;
    if (!socketPath(path, problem))
        return nullptr;
    // A socket left by a copy that crashed: this copy holds the instance lock, so no
    // other copy listens there. Anything but a socket of this user is left alone.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode) || st.st_uid != ::geteuid()) {
            problem = path + " is in the way (not a socket of this user)";
            return nullptr;
        }
        ::unlink(path.c_str());
    }
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int epoll = ::epoll_create1(EPOLL_CLOEXEC);
    const int timer = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    const sockaddr_un address = addressOf(path);
    const bool ready =
        listener >= 0 && epoll >= 0 && timer >= 0 &&
        ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::chmod(path.c_str(), 0600) == 0 && ::listen(listener, SOMAXCONN) == 0 &&
        watch(epoll, listener) && watch(epoll, timer);
    if (!ready) {
        problem = path + ": " + std::strerror(errno);
        for (int fd : {listener, epoll, timer})
            if (fd >= 0)
                ::close(fd);
        ::unlink(path.c_str());
        return nullptr;
    }
    return std::make_unique<UnixServer>(std::move(handler), path, listener, epoll, timer);
}

RemoteExchange askRunningCopy(const std::string& line) {
    RemoteExchange exchange;
    std::string path;
    if (!socketPath(path, exchange.why))
        return exchange;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = addressOf(path);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        exchange.why = "Ocuvell is not running";
        if (fd >= 0)
            ::close(fd);
        return exchange;
    }
    exchange.result = RemoteExchange::Result::NoAnswer;
    exchange.why = "the running copy did not answer";
    const std::string request = line + "\n";
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(request.size())) {
        ::close(fd);
        return exchange;
    }
    const Clock::time_point until = Clock::now() + kAnswerWait;
    std::string reply;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        char chunk[4096];
        const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0 && !reply.empty()) {
                exchange.result = RemoteExchange::Result::Answered;
                exchange.reply = std::move(reply);
            }
            break;
        }
        reply.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return exchange;
}

} // namespace ocuvell
