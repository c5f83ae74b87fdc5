// How fast a transfer goes: a moving average over the last few seconds of
// the bytes received, and the texts that tell it.
#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::shell {

class SpeedMeter {
public:
    static constexpr platform::Duration kWindow{3000};

    // The transfer had received `bytes` in all at `at`; fewer bytes than
    // before start the average afresh.
    void Add(platform::TimePoint at, int64_t bytes);
    void Reset() { samples_.clear(); }
    // Bytes per second over the window; none until two samples span time.
    std::optional<double> BytesPerSecond() const;

private:
    struct Sample {
        platform::TimePoint at;
        int64_t bytes;
    };
    std::deque<Sample> samples_;
};

// The bytes several transfers received together since it began: what each
// received since it was last looked at is added, so transfers may come and
// go (and begin again) without the sum falling back.
class ReceivedTogether {
public:
    // What each transfer under way, by its id, received in all by now; the
    // transfers not among them are let go.
    void Take(const std::vector<std::pair<uint32_t, int64_t>>& received);
    int64_t Total() const { return total_; }
    void Reset() { *this = {}; }

private:
    std::vector<std::pair<uint32_t, int64_t>> last_;
    int64_t total_ = 0;
};

// "640 B/s", "850.5 KB/s", "1.2 MB/s".
std::string SpeedText(double bytes_per_second);
// "42 s left", "3 min 5 s left", "2 h 7 min left".
std::string TimeLeftText(int64_t seconds);

} // namespace tarnwick::shell
