// The read marks (SO_RCVLOWAT) of the sockets the client reads from, set by
// transfer::ReadMarkAfter after each read. A socket keeps its mark only while
// it is watched: one that goes back to curl's pool, or to another transfer,
// wakes the event loop with its first byte again.
#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tarnwick::curl {

class SocketMarks {
public:
    // `socket` is watched for reading from `now` on.
    void Begin(int socket, platform::TimePoint now);
    // `socket` was read at `now` and brought `bytes` body bytes, with
    // `body_left` still to come.
    void Read(int socket, uint64_t bytes, std::optional<uint64_t> body_left,
              platform::TimePoint now);
    // `socket` is no longer watched; it may still be open.
    void End(int socket);
    // The sockets with a mark that were not read for transfer::kSweepEvery:
    // the server may have paused below the mark.
    std::vector<int> Overdue(platform::TimePoint now) const;
    bool AnyMarked() const { return marked_ > 0; }

private:
    struct Socket {
        uint64_t mark = 1;
        platform::TimePoint last_read{};
    };
    void SetMark(int socket, Socket& entry, uint64_t mark);

    std::unordered_map<int, Socket> sockets_;
    int marked_ = 0;
};

} // namespace tarnwick::curl
