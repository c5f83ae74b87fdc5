// SIGTERM and SIGINT (the session logging out, `kill`, Ctrl+C in a terminal)
// as events of the event loop: the handler only writes a byte to a socket
// pair, and a socket notifier on its other end calls back once the loop
// comes round, where anything may be done. One at a time per process; the
// handlers it replaced come back when it goes.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <signal.h>

#include <array>
#include <functional>
#include <memory>

namespace tarnwick::qt {

class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(std::function<void()> on_signal);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the signals could not be caught (no socket pair).
    bool IsCatching() const { return notifier_ != nullptr; }

private:
    void Drain();

    std::function<void()> on_signal_;
    std::array<int, 2> sockets_{-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previous_term_ {};
    struct sigaction previous_int_ {};
};

} // namespace tarnwick::qt
