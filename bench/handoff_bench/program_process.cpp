#include "handoff_bench/program_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tarnwick::bench {
namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Whether `pid` ends within `ms`, told by its pidfd (no polling of /proc).
bool EndsWithin(pid_t pid, int ms) {
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) return errno == ESRCH;
    pollfd watched{fd, POLLIN, 0};
    const bool ended = ::poll(&watched, 1, ms) == 1;
    ::close(fd);
    return ended;
}

} // namespace

pid_t StartProgram(const std::string& program, const std::vector<std::string>& environment) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> arguments = {program, "--tray"};
    std::vector<std::string> variables = environment;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr,
                                    Pointers(arguments).data(), Pointers(variables).data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : 0;
}

void EndChild(pid_t pid) {
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

std::vector<pid_t> ProgramsWith(const std::string& program, const std::string& entry) {
    const std::filesystem::path wanted = std::filesystem::canonical(program);
    std::vector<pid_t> found;
    std::error_code error;
    for (const auto& process : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = process.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        if (std::filesystem::read_symlink(process.path() / "exe", error) != wanted) continue;
        std::ifstream in(process.path() / "environ", std::ios::binary);
        const std::string environ_text((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
        if (('\0' + environ_text).find('\0' + entry + '\0') != std::string::npos) {
            found.push_back(static_cast<pid_t>(std::stol(name)));
        }
    }
    return found;
}

bool EndStranger(pid_t pid) {
    ::kill(pid, SIGTERM);
    if (EndsWithin(pid, 10'000)) return true;
    ::kill(pid, SIGKILL);
    return EndsWithin(pid, 10'000);
}

} // namespace tarnwick::bench
