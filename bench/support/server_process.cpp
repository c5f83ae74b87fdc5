#include "server_process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <stdexcept>

extern char** environ;

namespace tarnwick::bench {
namespace {

constexpr const char* kServeFlag = "--serve";

} // namespace

int64_t MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

int ServeIfServerProcess(int argc, char** argv, const ServerSetup& setup) {
    if (argc < 2 || std::strcmp(argv[1], kServeFlag) != 0) return -1;
    test_support::LoopbackServer server;
    std::mutex output;
    server.SetCloseListener([&](const test_support::Request& request) {
        const int64_t when = MonotonicNs();
        std::lock_guard lock(output);
        std::printf("closed %s %lld\n", request.target.c_str(), static_cast<long long>(when));
        std::fflush(stdout);
    });
    setup(server);
    std::printf("port %u\n", static_cast<unsigned>(server.Port()));
    std::fflush(stdout);
    char discard[256];
    while (::read(STDIN_FILENO, discard, sizeof discard) > 0) {
    }
    return 0;
}

ServerProcess::ServerProcess(const char* self) {
    int to_child[2];
    int from_child[2];
    if (::pipe(to_child) != 0 || ::pipe(from_child) != 0) throw std::runtime_error("no pipes");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, to_child[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, from_child[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, to_child[1]);
    posix_spawn_file_actions_addclose(&actions, from_child[0]);
    char flag[] = "--serve";
    char* child_argv[] = {const_cast<char*>(self), flag, nullptr};
    if (posix_spawn(&child_, "/proc/self/exe", &actions, nullptr, child_argv, environ) != 0) {
        throw std::runtime_error("the server process did not start");
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(to_child[0]);
    ::close(from_child[1]);
    to_server_ = to_child[1];
    from_server_ = fdopen(from_child[0], "r");
    char line[512];
    unsigned port = 0;
    while (std::fgets(line, sizeof line, from_server_) != nullptr) {
        if (std::sscanf(line, "port %u", &port) == 1) break;
    }
    if (port == 0) throw std::runtime_error("the server process told no port");
    port_ = static_cast<uint16_t>(port);
}

ServerProcess::~ServerProcess() {
    ::close(to_server_);
    int status = 0;
    ::waitpid(child_, &status, 0);
    std::fclose(from_server_);
}

std::string ServerProcess::Url(const std::string& target) const {
    return "http://127.0.0.1:" + std::to_string(port_) + target;
}

ServerProcess::Close ServerProcess::NextClose() {
    char line[1024];
    char target[900];
    long long when = 0;
    while (std::fgets(line, sizeof line, from_server_) != nullptr) {
        if (std::sscanf(line, "closed %899s %lld", target, &when) == 2) return {target, when};
    }
    return {};
}

} // namespace tarnwick::bench
