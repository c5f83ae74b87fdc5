// Runs the engine's child process (crash_child.cpp) and tells how it ended.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

extern char** environ;

namespace tarnwick {

// How a child ended: by a signal (which one), or by itself with its exit status.
struct ChildEnd {
    int signal = 0;
    int status = -1;

    bool Killed() const { return signal == SIGKILL; }
};

inline ChildEnd RunChild(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    std::string program = TARNWICK_CRASH_CHILD;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return {};
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) return {WTERMSIG(status), -1};
    return {0, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

} // namespace tarnwick
