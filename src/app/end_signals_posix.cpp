// The signals reach the event loop through a pipe: a handler may only write to it.
#include "app/end_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

namespace ocuvell {
namespace {

// How long the ordinary end may take once the signal came: a session waits for its
// programs, and a save that hangs (a dead network folder) must not hold it.
constexpr suseconds_t kDeadlineMicroseconds = 1500000;

int wakeFds[2] = {-1, -1};
volatile std::sig_atomic_t caughtSignal = 0;

void onSignal(int sig) {
    if (caughtSignal == 0) {
        itimerval deadline{};
        deadline.it_value.tv_sec = kDeadlineMicroseconds / 1000000;
        deadline.it_value.tv_usec = kDeadlineMicroseconds % 1000000;
        ::setitimer(ITIMER_REAL, &deadline, nullptr);
    }
    caughtSignal = sig;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFds[1], &byte, 1);
}

// The ordinary end did not come in time: say so and end by the signal that was caught.
void onDeadline(int) {
    static const char line[] = "ocuvell: the end did not finish in time; what was not yet "
                               "saved is lost\n";
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, line, sizeof line - 1);
    const int sig = caughtSignal;
    std::signal(sig, SIG_DFL);
    std::raise(sig);
    ::_exit(128 + sig);
}

} // namespace

EndSignals::EndSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the signals keep their default: the program ends at once
    auto* notifier = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [] {
        char buffer[16];
        while (::read(wakeFds[0], buffer, sizeof buffer) > 0) {
        }
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(sig, &action, nullptr);
    action.sa_handler = onDeadline;
    ::sigaction(SIGALRM, &action, nullptr);
}

int EndSignals::caught() const {
    return caughtSignal;
}

bool EndSignals::endsSession() const {
    return caughtSignal == SIGTERM || caughtSignal == SIGHUP;
}

void EndSignals::endBySignal() const {
    if (const int sig = caughtSignal) {
        std::signal(sig, SIG_DFL);
        std::raise(sig);
    }
}

} // namespace ocuvell
