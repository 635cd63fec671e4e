#include "ShutdownSignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <array>
#include <csignal>

namespace kwadrill {

namespace {

constexpr std::array kShutdownSignals{SIGTERM, SIGINT, SIGHUP};

// The one piece of process-wide state a signal handler can reach.
int signalWriteEnd = -1;

void WriteSignalByte(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalWriteEnd, &byte, 1);
}

}  // namespace

ShutdownSignals::ShutdownSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    std::array<int, 2> ends{};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends.data()) != 0) {
        return;
    }
    signalWriteEnd = ends[0];
    notifier_ = new QSocketNotifier(ends[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(); });

    struct sigaction action {};
    action.sa_handler = WriteSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kShutdownSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
}

ShutdownSignals::~ShutdownSignals() {
    if (!notifier_) {
        return;
    }
    for (int signalNumber : kShutdownSignals) {
        std::signal(signalNumber, SIG_DFL);
    }
    ::close(static_cast<int>(notifier_->socket()));
    ::close(signalWriteEnd);
    signalWriteEnd = -1;
}

void ShutdownSignals::Drain() {
    std::array<char, 64> bytes{};
    while (::read(static_cast<int>(notifier_->socket()), bytes.data(), bytes.size()) > 0) {
    }
    onSignal_();
}

}  // namespace kwadrill
