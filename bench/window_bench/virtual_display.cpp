#include "virtual_display.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

extern char** environ;

namespace tarnwick::bench {
namespace {

// Large enough that the program's window and any dialog fit whole.
constexpr const char* kScreen = "1280x1024x24";

} // namespace

VirtualDisplay::VirtualDisplay() {
    int told[2];
    if (::pipe2(told, O_CLOEXEC) != 0) throw std::runtime_error("no pipe for Xvfb");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, told[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"Xvfb",     "-displayfd", "1", "-nolisten", "tcp",
                          "-noreset", "-screen",    "0", kScreen,     nullptr};
    const int spawned =
        posix_spawnp(&server_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(told[1]);
    if (spawned != 0) {
        ::close(told[0]);
        throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    }
    FILE* from_server = fdopen(told[0], "r");
    unsigned number = 0;
    const bool got = std::fscanf(from_server, "%u", &number) == 1;
    std::fclose(from_server);
    if (!got) {
        Stop();
        throw std::runtime_error("Xvfb told no display number");
    }
    name_ = ":" + std::to_string(number);
}

VirtualDisplay::~VirtualDisplay() { Stop(); }

void VirtualDisplay::Stop() {
    ::kill(server_, SIGTERM);
    int status = 0;
    ::waitpid(server_, &status, 0);
}

} // namespace tarnwick::bench
