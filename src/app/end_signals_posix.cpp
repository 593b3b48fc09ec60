// The signals reach the event loop through a pipe: a handler may only write to it.
#include "app/end_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace ocuvell {
namespace {

int wakeFds[2] = {-1, -1};
volatile std::sig_atomic_t caughtSignal = 0;

void onSignal(int sig) {
    caughtSignal = sig;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFds[1], &byte, 1);
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
