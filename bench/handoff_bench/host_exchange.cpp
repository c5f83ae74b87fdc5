#include "handoff_bench/host_exchange.h"

#include "common/write_all.h"
#include "handoff/native_framing.h"
#include "handoff/our_extension.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <variant>

namespace tarnwick::bench {
namespace {

// The first framed message on `fd`, or nothing when it ends before one.
bool ReadOneMessage(int fd, std::string& json) {
    handoff::FrameReader reader;
    char buffer[64 * 1024];
    for (;;) {
        const auto found = reader.Next();
        if (const auto* message = std::get_if<handoff::FrameReader::Message>(&found)) {
            json = message->json;
            return true;
        }
        if (!std::holds_alternative<handoff::FrameReader::NeedMore>(found)) return false;
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        reader.Append(std::string_view(buffer, static_cast<size_t>(count)));
    }
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

HostAnswer ExchangeWithHost(const std::string& host, const std::vector<std::string>& environment,
                            const std::string& request_json) {
    // Timed from the host's start; it ends once its input closes.
    const auto start = std::chrono::steady_clock::now();
    KeptHost started(host, environment);
    HostAnswer answer = started.Exchange(request_json);
    answer.elapsed_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return answer;
}

KeptHost::KeptHost(const std::string& host, const std::vector<std::string>& environment) {
    int to_host[2], from_host[2];
    if (::pipe2(to_host, O_CLOEXEC) != 0) return;
    if (::pipe2(from_host, O_CLOEXEC) != 0) {
        ::close(to_host[0]);
        ::close(to_host[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, to_host[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, from_host[1], STDOUT_FILENO);
    // The browser starts the host with the extension's origin.
    std::vector<std::string> arguments = {
        host, std::string("chrome-extension://") + handoff::kChromiumExtensionId + "/"};
    std::vector<std::string> variables = environment;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, host.c_str(), &actions, nullptr,
                                    Pointers(arguments).data(), Pointers(variables).data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(to_host[0]);
    ::close(from_host[1]);
    to_host_ = to_host[1];
    from_host_ = from_host[0];
    if (spawned == 0) pid_ = pid;
}

KeptHost::~KeptHost() {
    // Closing its input ends the host, as closing the port does.
    if (to_host_ >= 0) ::close(to_host_);
    if (from_host_ >= 0) ::close(from_host_);
    if (pid_ != 0) ::waitpid(pid_, nullptr, 0);
}

HostAnswer KeptHost::Exchange(const std::string& request_json) {
    HostAnswer answer;
    if (pid_ == 0) return {false, "the host did not start"};
    const auto start = std::chrono::steady_clock::now();
    if (!WriteAll(to_host_, handoff::FrameMessage(request_json))) {
        answer.json = "the host took no request";
    } else {
        answer.ok = ReadOneMessage(from_host_, answer.json);
        if (!answer.ok) answer.json = "the host ended without a reply";
    }
    answer.elapsed_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return answer;
}

bool AllAdded(const std::string& reply_json) {
    const auto reply = nlohmann::json::parse(reply_json, nullptr, false);
    if (!reply.is_object() || !reply.contains("items") || !reply["items"].is_array()) return false;
    for (const auto& item : reply["items"]) {
        if (!item.is_object() || item.value("result", "") != "added") return false;
    }
    return !reply["items"].empty();
}

} // namespace tarnwick::bench
