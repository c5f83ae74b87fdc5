#include "silent_name_server.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

extern char** environ;

namespace tarnwick::bench {
namespace {

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

} // namespace

int RunInOwnNamespaces(const char* argument) {
    std::string self(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (length <= 0) return -1;
    self.resize(static_cast<size_t>(length));
    std::vector<std::string> words = {"unshare", "--net", "--mount"};
    if (::geteuid() != 0) words.emplace_back("--map-root-user");
    words.insert(words.end(), {self, argument});
    std::vector<char*> child_argv;
    for (std::string& word : words) child_argv.push_back(word.data());
    child_argv.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawnp(&child, "unshare", nullptr, nullptr, child_argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

SilentNameServer::SilentNameServer() {
    if (BringUpLoopback() && PointResolverHere()) HoldPort();
}

SilentNameServer::~SilentNameServer() {
    if (socket_ >= 0) ::close(socket_);
    for (const std::string& target : mounted_) ::umount2(target.c_str(), MNT_DETACH);
}

bool SilentNameServer::BringUpLoopback() {
    const int control = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = control >= 0 && ::ioctl(control, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
    up = up && ::ioctl(control, SIOCSIFFLAGS, &request) == 0;
    if (!up) error_ = SystemError("loopback cannot be brought up");
    if (control >= 0) ::close(control);
    return up;
}

// The resolver reads these files at its first lookup, after they are in place.
bool SilentNameServer::PointResolverHere() {
    const std::pair<const char*, const char*> files[] = {
        {"/etc/resolv.conf", "nameserver 127.0.0.1\n"},
        // Only the name server, not a desktop's resolving service outside.
        {"/etc/nsswitch.conf", "hosts: files dns\n"},
    };
    for (const auto& [target, content] : files) {
        const std::string source = folder_.File(std::strrchr(target, '/') + 1);
        test_support::WriteWholeFile(source, content);
        if (::mount(source.c_str(), target, nullptr, MS_BIND, nullptr) != 0) {
            error_ = SystemError(std::string(target) + " cannot be replaced");
            return false;
        }
        mounted_.emplace_back(target);
    }
    return true;
}

// A bound socket that is never read: queries wait in it, and no "port
// unreachable" tells the resolver to give up early.
bool SilentNameServer::HoldPort() {
    socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(53);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket_ < 0 ||
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error_ = SystemError("port 53 cannot be held");
        return false;
    }
    return true;
}

} // namespace tarnwick::bench
