#include "support/loopback_server.h"

#include "support/served_file.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace tarnwick::test_support {
namespace {

constexpr uint64_t kPatternPeriod = 251;
constexpr size_t kSendSlice = 256 * 1024;
// A paced body goes out in slices this small, each at its due time.
constexpr uint64_t kPacedSlice = 64 * 1024;
// Under the limit on each connection, a slice goes when the limit would have
// carried it all: no answer ends before its size allows.
constexpr size_t kLimitedSlice = 16 * 1024;
// A client that reads too slowly for the limit may catch up on this much of
// the time it lost, no more, as with a server's token bucket.
constexpr std::chrono::milliseconds kMostCatchUp{20};
constexpr size_t kMaxRequestHead = 64 * 1024;
constexpr std::string_view kHeadEnd = "\r\n\r\n";

const std::vector<char>& Pattern() {
    static const std::vector<char> pattern = [] {
        std::vector<char> bytes(kSendSlice + kPatternPeriod);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = GeneratedByte(i);
        return bytes;
    }();
    return pattern;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

void ParseHead(std::string_view head, Request& request) {
    size_t line_end = head.find("\r\n");
    const std::string_view line = head.substr(0, line_end);
    const size_t first_blank = line.find(' ');
    const size_t last_blank = line.rfind(' ');
    request.method = std::string(line.substr(0, first_blank));
    if (first_blank != std::string_view::npos && last_blank > first_blank) {
        request.target = std::string(line.substr(first_blank + 1, last_blank - first_blank - 1));
        request.version = std::string(line.substr(last_blank + 1));
    }
    while (line_end != std::string_view::npos) {
        const size_t start = line_end + 2;
        line_end = head.find("\r\n", start);
        const std::string_view header = head.substr(start, line_end - start);
        const size_t colon = header.find(':');
        if (colon == std::string_view::npos) continue;
        request.headers.emplace_back(std::string(header.substr(0, colon)),
                                     std::string(Trim(header.substr(colon + 1))));
    }
}

} // namespace

uint16_t UnusedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

char GeneratedByte(uint64_t position) { return static_cast<char>(position % kPatternPeriod); }

std::string ChunkedBody(const std::vector<std::string>& pieces) {
    std::string body;
    char size[32];
    for (const std::string& piece : pieces) {
        std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
        body += size + piece + "\r\n";
    }
    return body + "0\r\n\r\n";
}

Answer Answer::Http(int status, const std::string& reason, const std::vector<std::string>& headers,
                    const std::string& body) {
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
    for (const std::string& header : headers) head += header + "\r\n";
    head += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    Answer answer;
    answer.Head(std::move(head));
    if (!body.empty()) answer.Body(body);
    return answer;
}

Answer& Answer::Add(Step::Kind kind, std::string bytes, uint64_t count, uint64_t first) {
    steps_.push_back(Step{kind, std::move(bytes), count, first});
    return *this;
}

Answer& Answer::Head(std::string bytes) { return Add(Step::Kind::kHead, std::move(bytes)); }
Answer& Answer::Body(std::string bytes) { return Add(Step::Kind::kBody, std::move(bytes)); }
Answer& Answer::GeneratedBody(uint64_t count, uint64_t first) {
    return Add(Step::Kind::kGenerated, {}, count, first);
}
Answer& Answer::WaitForRelease() { return Add(Step::Kind::kWaitForRelease); }
Answer& Answer::Stall() { return Add(Step::Kind::kStall); }
Answer& Answer::Drop() { return Add(Step::Kind::kDrop); }
Answer& Answer::HoldUntilClientCloses() { return Add(Step::Kind::kHoldUntilClientCloses); }

Answer& Answer::Trickle(uint64_t count, std::chrono::milliseconds every) {
    Add(Step::Kind::kTrickle, {}, count);
    steps_.back().every = every;
    return *this;
}

Answer& Answer::PacedBody(uint64_t count, uint64_t bytes_per_second) {
    Add(Step::Kind::kPaced, {}, count);
    steps_.back().bytes_per_second = bytes_per_second;
    return *this;
}

Answer& Answer::KeepAlive() {
    keep_alive_ = true;
    return *this;
}

std::optional<std::string> Request::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (SameName(key, name)) return value;
    }
    return std::nullopt;
}

LoopbackServer::LoopbackServer(std::string host) : host_(std::move(host)) {
    listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listen_fd_ < 0) throw std::runtime_error("loopback server: no socket");
    const int on = 1;
    ::setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::inet_pton(AF_INET, host_.c_str(), &address.sin_addr) != 1 ||
        ::bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listen_fd_, 64) != 0 ||
        ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listen_fd_);
        throw std::runtime_error("loopback server: cannot listen");
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptConnections(); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (int fd : connection_fds_) ::shutdown(fd, SHUT_RDWR);
    }
    changed_.notify_all();
    ::shutdown(listen_fd_, SHUT_RDWR);
    acceptor_.join();
    ::close(listen_fd_);
    // No new handler can start now; the handlers' sockets are closed last so
    // that their numbers are not reused while a handler may still touch them.
    for (std::thread& handler : handlers_) handler.join();
    for (int fd : connection_fds_) ::close(fd);
}

std::string LoopbackServer::Url(const std::string& target) const {
    return "http://" + host_ + ":" + std::to_string(port_) + target;
}

void LoopbackServer::Serve(const std::string& target, Answer answer) {
    std::lock_guard lock(mutex_);
    files_.erase(target);
    answers_[target] = std::move(answer);
}

void LoopbackServer::ServeFile(const std::string& target, const ServedFile& file) {
    std::lock_guard lock(mutex_);
    answers_.erase(target);
    files_[target] = {std::make_unique<ServedFile>(file), 0};
}

void LoopbackServer::ServeOthers(Answerer answerer) {
    std::lock_guard lock(mutex_);
    answerer_ = std::move(answerer);
}

void LoopbackServer::Release() {
    {
        std::lock_guard lock(mutex_);
        ++releases_;
    }
    changed_.notify_all();
}

std::vector<Request> LoopbackServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool LoopbackServer::WaitForRequests(size_t count) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10),
                             [&] { return requests_.size() >= count; });
}

int LoopbackServer::ConnectionCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(connection_fds_.size());
}

bool LoopbackServer::WaitForClientClose(int connection) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] {
        return std::find(closed_by_client_.begin(), closed_by_client_.end(), connection) !=
               closed_by_client_.end();
    });
}

void LoopbackServer::AcceptConnections() {
    for (;;) {
        const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        // Each step goes out as it is sent, as a real server's would: without
        // this a body sent after its head waits for the client's delayed ack.
        const int no_delay = 1;
        if (fd >= 0) ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &no_delay, sizeof no_delay);
        std::lock_guard lock(mutex_);
        if (stopping_) {
            if (fd >= 0) ::close(fd);
            return;
        }
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;
        }
        connection_fds_.push_back(fd);
        const int number = static_cast<int>(connection_fds_.size());
        handlers_.emplace_back([this, fd, number] { ServeConnection(fd, number); });
    }
}

void LoopbackServer::ServeConnection(int fd, int number) {
    std::string pending;
    for (;;) {
        Request request;
        if (!ReadRequest(fd, number, pending, request)) break;
        const bool http = !request.method.empty();
        Record(request);
        if (!http) break;
        std::optional<Answer> answer;
        Answerer answerer;
        {
            std::lock_guard lock(mutex_);
            const auto found = answers_.find(request.target);
            const auto file = files_.find(request.target);
            if (file != files_.end()) {
                const bool whole_get = request.method == "GET" && !request.Header("Range");
                answer = AnswerForFile(*file->second.first, request, file->second.second == 0);
                if (whole_get) ++file->second.second;
            } else if (found != answers_.end()) {
                answer = found->second;
            } else {
                answerer = answerer_;
            }
        }
        if (!answer && answerer) answer = answerer(request);
        if (!answer) answer = Answer::Http(404, "Not Found");
        const bool counted = request.method == "GET" && request.target.starts_with(counted_prefix_);
        const int answering = counted ? ++answering_ : 0;
        for (int most = most_answering_; answering > most;) {
            if (most_answering_.compare_exchange_weak(most, answering)) break;
        }
        const bool answered = RunAnswer(fd, request, *answer);
        if (counted) --answering_;
        if (!answered || !answer->keep_alive_) break;
    }
    // An orderly close: the end of the answer, then whatever the client still
    // sends (a request on a connection it meant to reuse) is read and dropped
    // until it leaves, so that it sees the end and never a reset.
    ::shutdown(fd, SHUT_WR);
    char discard[4096];
    while (::recv(fd, discard, sizeof discard, 0) > 0) {
    }
    ::shutdown(fd, SHUT_RDWR);
}

bool LoopbackServer::ReadRequest(int fd, int number, std::string& pending, Request& request) {
    request.connection = number;
    char buffer[4096];
    for (;;) {
        // Anything but a request line (a TLS hello) is recorded as it came.
        if (!pending.empty() && !(pending.front() >= 'A' && pending.front() <= 'Z')) {
            request.raw = std::exchange(pending, {});
            return true;
        }
        const size_t end = pending.find(kHeadEnd);
        if (end != std::string::npos) {
            request.raw = pending.substr(0, end + kHeadEnd.size());
            pending.erase(0, end + kHeadEnd.size());
            ParseHead(request.raw, request);
            return true;
        }
        if (pending.size() > kMaxRequestHead) return false;
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) return false;
        pending.append(buffer, static_cast<size_t>(got));
    }
}

bool LoopbackServer::RunAnswer(int fd, const Request& request, const Answer& answer) {
    const bool head = request.method == "HEAD";
    Pace limit{connection_limit_, std::chrono::steady_clock::now()};
    Pace* pace = limit.bytes_per_second > 0 ? &limit : nullptr;
    for (const Answer::Step& step : answer.steps_) {
        switch (step.kind) {
            case Answer::Step::Kind::kHead:
                if (!SendAll(fd, step.bytes.data(), step.bytes.size(), pace)) return false;
                break;
            case Answer::Step::Kind::kBody:
                if (head) return true; // the answer to a HEAD ends where the body begins
                if (!SendAll(fd, step.bytes.data(), step.bytes.size(), pace)) {
                    ClientClosed(request);
                    return false;
                }
                break;
            case Answer::Step::Kind::kGenerated:
                if (head) return true;
                if (!SendGenerated(fd, step.count, step.first, pace)) {
                    ClientClosed(request);
                    return false;
                }
                break;
            case Answer::Step::Kind::kTrickle:
                if (head) return true;
                if (!Trickle(fd, request, step)) return false;
                break;
            case Answer::Step::Kind::kPaced:
                if (head) return true;
                if (!SendPaced(fd, step.count, step.bytes_per_second)) {
                    ClientClosed(request);
                    return false;
                }
                break;
            case Answer::Step::Kind::kWaitForRelease: {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return stopping_ || releases_ > 0; });
                if (stopping_) return false;
                --releases_;
                break;
            }
            case Answer::Step::Kind::kStall: {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return stopping_; });
                return false;
            }
            case Answer::Step::Kind::kDrop: return false;
            case Answer::Step::Kind::kHoldUntilClientCloses:
                HoldUntilClientCloses(fd, request);
                return false;
        }
    }
    return true;
}

void LoopbackServer::Pace::WaitForRoom(size_t bytes) {
    sent += bytes;
    const std::chrono::duration<double> carried(static_cast<double>(sent) /
                                                static_cast<double>(bytes_per_second));
    const auto due = start + std::chrono::duration_cast<std::chrono::nanoseconds>(carried);
    const auto now = std::chrono::steady_clock::now();
    if (now > due + kMostCatchUp) start += now - due - kMostCatchUp;
    std::this_thread::sleep_until(due);
}

bool LoopbackServer::SendAll(int fd, const char* bytes, size_t count, Pace* pace) {
    if (pace != nullptr) {
        // Slice by slice, each when the limit has room for it.
        while (count > 0) {
            const size_t slice = std::min(count, kLimitedSlice);
            pace->WaitForRoom(slice);
            if (!SendAll(fd, bytes, slice)) return false;
            bytes += slice;
            count -= slice;
        }
        return true;
    }
    while (count > 0) {
        const ssize_t sent = ::send(fd, bytes, count, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes += sent;
        count -= static_cast<size_t>(sent);
    }
    return true;
}

bool LoopbackServer::SendGenerated(int fd, uint64_t count, uint64_t first, Pace* pace) {
    const std::vector<char>& pattern = Pattern();
    uint64_t position = first;
    const uint64_t end = first + count;
    while (position < end) {
        const size_t slice = static_cast<size_t>(std::min<uint64_t>(kSendSlice, end - position));
        if (!SendAll(fd, pattern.data() + position % kPatternPeriod, slice, pace)) return false;
        body_bytes_sent_ += slice;
        position += slice;
    }
    return true;
}

bool LoopbackServer::SendPaced(int fd, uint64_t count, uint64_t bytes_per_second) {
    const std::vector<char>& pattern = Pattern();
    const auto start = std::chrono::steady_clock::now();
    for (uint64_t sent = 0; sent < count;) {
        std::this_thread::sleep_until(
            start + std::chrono::nanoseconds(sent * 1000000000 / bytes_per_second));
        const size_t slice = static_cast<size_t>(std::min(kPacedSlice, count - sent));
        if (!SendAll(fd, pattern.data() + sent % kPatternPeriod, slice)) return false;
        body_bytes_sent_ += slice;
        sent += slice;
    }
    return true;
}

void LoopbackServer::HoldUntilClientCloses(int fd, const Request& request) {
    // Whatever the client still sends is dropped; the end of its data (or a
    // reset) is its close, unless the server is stopping and shut it down.
    char discard[4096];
    for (;;) {
        const ssize_t got = ::recv(fd, discard, sizeof discard, 0);
        if (got > 0 || (got < 0 && errno == EINTR)) continue;
        break;
    }
    ClientClosed(request);
}

bool LoopbackServer::Trickle(int fd, const Request& request, const Answer::Step& step) {
    const std::vector<char>& pattern = Pattern();
    for (uint64_t sent = 0; sent < step.count; ++sent) {
        if (!SendAll(fd, pattern.data() + sent % kPatternPeriod, 1)) {
            ClientClosed(request);
            return false;
        }
        // Waits out the interval, or learns at once that the client left.
        pollfd watch{fd, POLLIN, 0};
        if (::poll(&watch, 1, static_cast<int>(step.every.count())) > 0) {
            char discard[4096];
            if (::recv(fd, discard, sizeof discard, 0) <= 0) {
                ClientClosed(request);
                return false;
            }
        }
    }
    return true;
}

void LoopbackServer::ClientClosed(const Request& request) {
    std::function<void(const Request&)> listener;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        closed_by_client_.push_back(request.connection);
        listener = close_listener_;
    }
    changed_.notify_all();
    if (listener) listener(request);
}

void LoopbackServer::SetCloseListener(std::function<void(const Request& request)> listener) {
    std::lock_guard lock(mutex_);
    close_listener_ = std::move(listener);
}

void LoopbackServer::Record(Request request) {
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(request));
    }
    changed_.notify_all();
}

} // namespace tarnwick::test_support
