// When each ping to the program's window was sent and when its answer came.
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <vector>

namespace tarnwick::bench {

class PingTimes {
public:
    void Sent(uint32_t number, int64_t when_ns) { pings_[number] = {when_ns, 0}; }
    // Ignores answers to pings it did not send, or sent before Clear.
    void Answered(uint32_t number, int64_t when_ns);
    void Clear() { pings_.clear(); }

    bool AllAnswered() const;
    // Milliseconds that each ping answered from `from_ns` until before
    // `to_ns` waited for its answer; one still unanswered at `now_ns` counts
    // as answered then.
    std::vector<double> WaitsMs(int64_t now_ns, int64_t from_ns = 0,
                                int64_t to_ns = std::numeric_limits<int64_t>::max()) const;
    // The longest of all waits.
    double LongestWaitMs(int64_t now_ns) const;
    // When an answer last came that had waited longer than `late_ms`; `now_ns`
    // while a ping waits that long; 0 when none did.
    int64_t LastLateNs(double late_ms, int64_t now_ns) const;

private:
    struct Ping {
        int64_t sent_ns = 0;
        int64_t answered_ns = 0; // 0 while unanswered
    };
    std::map<uint32_t, Ping> pings_;
};

} // namespace tarnwick::bench
