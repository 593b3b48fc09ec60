// In a Wayland session the windows stay on X11 through XWayland where it is there: a
// native Wayland window cannot place itself (the rest tip in its corner). Without it they
// go native, placed by the compositor. A platform the user names is kept.
//
// Whether a display answers is asked with a bare connect to its socket, closed at once:
// the toolkit's own connection follows, and the start pays a few microseconds, not a
// second handshake.
#include "app/window_system.h"

#include "core/settings/settings_problem.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <optional>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace ocuvell {
namespace {

// A remote display may take a while to answer, but not for ever.
constexpr int kRemoteWaitMs = 3000;
constexpr int kFirstXPort = 6000;

// Whether a stream connect to address succeeds within kRemoteWaitMs.
bool connects(int family, const sockaddr* address, socklen_t length) {
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return true; // no socket to ask with: let the toolkit find out
    bool answered = ::connect(fd, address, length) == 0;
    // A local listener with a full queue answers EAGAIN: it is there.
    if (!answered && errno == EAGAIN)
        answered = true;
    if (!answered && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        answered = ::poll(&p, 1, kRemoteWaitMs) == 1 &&
                   ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    ::close(fd);
    return answered;
}

// A local socket by path; abstract: in Linux's abstract namespace (a leading NUL).
bool localAnswers(std::string_view path, bool abstract) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    // No client reaches a socket by a longer path: libwayland and xcb refuse it as well.
    if (path.size() + offset >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() + 1);
    return connects(AF_UNIX, reinterpret_cast<const sockaddr*>(&address),
                    abstract ? length - 1 : length);
}

bool tcpAnswers(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    bool answered = false;
    for (addrinfo* a = found; a && !answered; a = a->ai_next)
        answered = connects(a->ai_family, a->ai_addr, a->ai_addrlen);
    ::freeaddrinfo(found);
    return answered;
}

// [protocol/][host]:number[.screen], as xcb reads it; a name it cannot read reaches no
// server. Nothing for a path (a launchd socket elsewhere): the toolkit decides then.
std::optional<bool> xDisplayAnswers(std::string_view name) {
    if (name.front() == '/')
        return std::nullopt;
    const std::size_t colon = name.rfind(':');
    if (colon == std::string_view::npos || (colon > 0 && name[colon - 1] == ':'))
        return false;
    std::string_view host = name.substr(0, colon);
    std::string_view protocol;
    if (const std::size_t slash = host.find('/'); slash != std::string_view::npos) {
        protocol = host.substr(0, slash);
        host.remove_prefix(slash + 1);
    }
    const std::string_view rest = name.substr(colon + 1);
    int number = -1;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
    if (error != std::errc() || number < 0 || (end != rest.data() + rest.size() && *end != '.'))
        return false;
    if ((host.empty() || host == "unix") && protocol != "tcp") {
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
        if (localAnswers(path, true) || localAnswers(path, false))
            return true;
        // Like xcb, a local name without a protocol is tried over TCP as well.
        if (!protocol.empty() || !host.empty())
            return false;
    }
    if (host.empty())
        host = "localhost";
    else if (host.front() == '[' && host.back() == ']') // an IPv6 address
        host = host.substr(1, host.size() - 2);
    return tcpAnswers(std::string(host), kFirstXPort + number);
}

// A name, or a path when it starts with a slash; names are in XDG_RUNTIME_DIR.
bool waylandDisplayAnswers(const QByteArray& name) {
    if (name.startsWith('/'))
        return localAnswers(name.toStdString(), false);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return false; // the compositor's socket cannot be found without it
    return localAnswers((runtime + '/' + name).toStdString(), false);
}

std::string shown(const QByteArray& value) {
    return printableText(value.toStdString());
}

struct HeldMessage {
    QtMsgType type;
    const char* category;
    QString text;
};

// What the message handler knows while the application object is built: Qt's handler
// takes no object of ours.
struct Connecting {
    QtMessageHandler passOn = nullptr;
    // Set once Qt has said it could not connect: the abort that follows is that failure.
    std::string refusal;
    // The platform plugin's own words while it connects: dropped when the one line says
    // it all, passed on in order otherwise.
    std::vector<HeldMessage> held;
};

Connecting& connecting() {
    static Connecting state;
    return state;
}

void passOnHeld() {
    for (const HeldMessage& message : std::exchange(connecting().held, {})) {
        QMessageLogContext context;
        context.category = message.category;
        connecting().passOn(message.type, context, message.text);
    }
}

[[noreturn]] void endWith(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    std::_Exit(1);
}

// The line for Qt's message that it could not connect to the display; empty for others.
std::string refusalLine(std::string_view category, const QString& text) {
    static const QString xFailed = QStringLiteral("could not connect to display ");
    if (category == "qt.qpa.xcb" && text.startsWith(xFailed))
        return "ocuvell: the X display " + shown(text.mid(xFailed.size()).toLocal8Bit()) +
               " does not let this program connect.";
    if (text.startsWith(QLatin1String("Failed to create wl_display")) ||
        text.startsWith(QLatin1String("The Wayland connection"))) {
        const QByteArray name = qgetenv("WAYLAND_DISPLAY");
        return "ocuvell: the Wayland display " +
               shown(name.isEmpty() ? QByteArrayLiteral("wayland-0") : name) +
               " does not let this program connect.";
    }
    return {};
}

void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    Connecting& state = connecting();
    const std::string_view category = context.category ? context.category : "";
    std::string line = refusalLine(category, text);
    // Qt ends the program at once after a broken Wayland connection.
    if (text.startsWith(QLatin1String("The Wayland connection")))
        endWith(line);
    const bool refused = !line.empty();
    if (refused)
        state.refusal = std::move(line);
    if (type == QtFatalMsg) {
        if (!state.refusal.empty())
            endWith(state.refusal);
        passOnHeld();
    } else if (refused || category.starts_with("qt.qpa.")) {
        state.held.push_back({type, context.category, text});
        return;
    }
    state.passOn(type, context, text);
}

} // namespace

bool chooseWindowSystem(std::string& trouble) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    const QByteArray x = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    // A compositor that hands its socket over (WAYLAND_SOCKET) is not asked.
    const bool handedOver = !qEnvironmentVariableIsEmpty("WAYLAND_SOCKET");
    const bool xAnswers = !x.isEmpty() && xDisplayAnswers(x.toStdString()).value_or(true);
    if (xAnswers) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return true;
    }
    // A stale DISPLAY in a Wayland session: the compositor's own windows do.
    if (!wayland.isEmpty() && (handedOver || waylandDisplayAnswers(wayland))) {
        qputenv("QT_QPA_PLATFORM", "wayland");
        return true;
    }
    if (x.isEmpty() && wayland.isEmpty())
        return true; // no display named: the command line has said so already
    if (!x.isEmpty() && !wayland.isEmpty())
        trouble = "ocuvell: neither the X display " + shown(x) +
                  " (DISPLAY) nor the Wayland display " + shown(wayland) +
                  " (WAYLAND_DISPLAY) answers.";
    else if (!x.isEmpty())
        trouble = "ocuvell: the X display " + shown(x) + " (DISPLAY) does not answer.";
    else
        trouble = "ocuvell: the Wayland display " + shown(wayland) +
                  " (WAYLAND_DISPLAY) does not answer.";
    return false;
}

DisplayConnectWatch::DisplayConnectWatch() {
    connecting().passOn = qInstallMessageHandler(onQtMessage);
}

DisplayConnectWatch::~DisplayConnectWatch() {
    qInstallMessageHandler(connecting().passOn);
    // Connected after all (another platform plugin in the user's list took over).
    passOnHeld();
    connecting().refusal.clear();
}

} // namespace ocuvell
