// A loopback server in a process of its own: the benchmark starts itself
// again as the server, so that serving never shares the measured thread, its
// processor time or its allocator. The server reports each connection a
// client closes, with the time on the machine's monotonic clock.
#pragma once

#include "support/loopback_server.h"

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace tarnwick::bench {

using ServerSetup = std::function<void(test_support::LoopbackServer& server)>;

// When this process was started as the server: serves what `setup` sets up
// until its standard input ends, and returns the exit code. Otherwise -1.
int ServeIfServerProcess(int argc, char** argv, const ServerSetup& setup);

// Nanoseconds of CLOCK_MONOTONIC, which both processes share.
int64_t MonotonicNs();

class ServerProcess {
public:
    // Starts the program at `self` again as the server; waits for its port.
    explicit ServerProcess(const char* self);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    uint16_t Port() const { return port_; }
    std::string Url(const std::string& target) const;

    struct Close {
        std::string target;
        int64_t when_ns = 0;
    };
    // Waits for the next connection a client closes.
    Close NextClose();

private:
    pid_t child_ = -1;
    FILE* from_server_ = nullptr;
    int to_server_ = -1;
    uint16_t port_ = 0;
};

} // namespace tarnwick::bench
