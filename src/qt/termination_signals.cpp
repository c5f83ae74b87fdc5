#include "qt/termination_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tarnwick::qt {
namespace {

// The socket the handler writes to; -1 while no instance catches.
volatile sig_atomic_t g_signal_socket = -1;

void OnSignal(int) {
    const int saved_errno = errno;
    const char byte = 1;
    // A full socket already holds a wake-up: nothing is lost.
    [[maybe_unused]] const ssize_t written = write(g_signal_socket, &byte, 1);
    errno = saved_errno;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void()> on_signal)
    : on_signal_(std::move(on_signal)) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, sockets_.data()) != 0) {
        sockets_ = {-1, -1};
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(sockets_[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
    g_signal_socket = sockets_[0];
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, &previous_term_);
    sigaction(SIGINT, &action, &previous_int_);
}

TerminationSignals::~TerminationSignals() {
    if (!IsCatching()) return;
    sigaction(SIGTERM, &previous_term_, nullptr);
    sigaction(SIGINT, &previous_int_, nullptr);
    g_signal_socket = -1;
    notifier_.reset();
    close(sockets_[0]);
    close(sockets_[1]);
}

void TerminationSignals::Drain() {
    char bytes[16];
    while (read(sockets_[1], bytes, sizeof bytes) > 0) {
    }
    if (on_signal_) on_signal_();
}

} // namespace tarnwick::qt
