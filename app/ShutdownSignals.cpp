#include "app/ShutdownSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace varilume {

namespace {

// The write end for the handler. A signal handler can reach nothing else; one
// window session per process.
int signalWriteEnd = -1;
int signalReadEnd = -1;

extern "C" void onShutdownSignal(int signal) {
    const char byte = static_cast<char>(signal);
    // Async-signal-safe; a full pipe means a shutdown is already on its way.
    [[maybe_unused]] const ssize_t n = ::write(signalWriteEnd, &byte, 1);
}

void restoreDefaults() {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::close(signalWriteEnd);
    ::close(signalReadEnd);
    signalWriteEnd = signalReadEnd = -1;
}

} // namespace

ShutdownSignals::ShutdownSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    int fds[2];
    if (signalWriteEnd >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return;
    signalWriteEnd = fds[0];
    signalReadEnd = fds[1];
    struct sigaction action = {};
    action.sa_handler = onShutdownSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGTERM, &action, nullptr) != 0 || ::sigaction(SIGINT, &action, nullptr) != 0) {
        restoreDefaults();
        return;
    }
    notifier_ = new QSocketNotifier(signalReadEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ShutdownSignals::readSignal);
}

ShutdownSignals::~ShutdownSignals() {
    if (!notifier_)
        return; // another instance owns the handlers, or none were set up
    delete notifier_;
    restoreDefaults();
}

void ShutdownSignals::readSignal() {
    char byte = 0;
    if (::read(signalReadEnd, &byte, 1) == 1 && onSignal_)
        onSignal_();
}

} // namespace varilume
