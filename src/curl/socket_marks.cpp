#include "curl/socket_marks.h"

#include "transfer/read_mark.h"

#include <sys/socket.h>

namespace tarnwick::curl {

void SocketMarks::Begin(int socket, platform::TimePoint now) {
    // A socket watched already keeps its mark and the time of its last read.
    sockets_.try_emplace(socket, Socket{transfer::kNoMark, now});
}

void SocketMarks::Read(int socket, uint64_t bytes, std::optional<uint64_t> body_left,
                       platform::TimePoint now) {
    const auto found = sockets_.find(socket);
    if (found == sockets_.end()) return;
    Socket& entry = found->second;
    const auto since = std::chrono::duration_cast<platform::Duration>(now - entry.last_read);
    entry.last_read = now;
    SetMark(socket, entry, transfer::ReadMarkAfter(bytes, since, body_left));
}

void SocketMarks::End(int socket) {
    const auto found = sockets_.find(socket);
    if (found == sockets_.end()) return;
    if (found->second.mark > transfer::kNoMark) {
        // Kept in curl's pool, the socket may serve another request later.
        const int none = static_cast<int>(transfer::kNoMark);
        ::setsockopt(socket, SOL_SOCKET, SO_RCVLOWAT, &none, sizeof none);
        --marked_;
    }
    sockets_.erase(found);
}

std::vector<int> SocketMarks::Overdue(platform::TimePoint now) const {
    std::vector<int> overdue;
    for (const auto& [socket, entry] : sockets_) {
        if (entry.mark > transfer::kNoMark && now - entry.last_read >= transfer::kSweepEvery) {
            overdue.push_back(socket);
        }
    }
    return overdue;
}

void SocketMarks::SetMark(int socket, Socket& entry, uint64_t mark) {
    if (mark == entry.mark) return;
    const int value = static_cast<int>(mark);
    // Should the kernel refuse, the socket simply wakes the loop as before.
    if (::setsockopt(socket, SOL_SOCKET, SO_RCVLOWAT, &value, sizeof value) != 0) return;
    marked_ += (mark > transfer::kNoMark ? 1 : 0) - (entry.mark > transfer::kNoMark ? 1 : 0);
    entry.mark = mark;
}

} // namespace tarnwick::curl
