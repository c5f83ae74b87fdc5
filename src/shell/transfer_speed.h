// How fast a transfer goes: a moving average over the last few seconds of
// the bytes received, and the texts that tell it.
#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

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

// "640 B/s", "850.5 KB/s", "1.2 MB/s".
std::string SpeedText(double bytes_per_second);
// "42 s left", "3 min 5 s left", "2 h 7 min left".
std::string TimeLeftText(int64_t seconds);

} // namespace tarnwick::shell
