#include "shell/transfer_speed.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace tarnwick::shell {

void SpeedMeter::Add(platform::TimePoint at, int64_t bytes) {
    if (!samples_.empty() && (bytes < samples_.back().bytes || at < samples_.back().at)) Reset();
    samples_.push_back({at, bytes});
    // The oldest sample kept is the last one at or before the window's start.
    while (samples_.size() > 2 && samples_[1].at <= at - kWindow) samples_.pop_front();
}

std::optional<double> SpeedMeter::BytesPerSecond() const {
    if (samples_.size() < 2) return std::nullopt;
    const std::chrono::duration<double> span = samples_.back().at - samples_.front().at;
    if (span.count() <= 0) return std::nullopt;
    return static_cast<double>(samples_.back().bytes - samples_.front().bytes) / span.count();
}

void ReceivedTogether::Take(const std::vector<std::pair<uint32_t, int64_t>>& received) {
    for (const auto& [id, bytes] : received) {
        const uint32_t key = id;
        const auto last = std::find_if(last_.begin(), last_.end(),
                                       [key](const auto& seen) { return seen.first == key; });
        // A transfer first seen counts from here on.
        if (last != last_.end() && bytes > last->second) total_ += bytes - last->second;
    }
    last_ = received;
}

std::string SpeedText(double bytes_per_second) {
    static constexpr const char* kUnits[] = {"KB/s", "MB/s", "GB/s"};
    if (bytes_per_second < 1024) {
        return std::to_string(static_cast<int64_t>(bytes_per_second)) + " B/s";
    }
    double value = bytes_per_second / 1024;
    size_t unit = 0;
    while (unit + 1 < std::size(kUnits) && value >= 1024) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

std::string TimeLeftText(int64_t seconds) {
    if (seconds < 60) return std::to_string(seconds) + " s left";
    if (seconds < 3600) {
        return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s left";
    }
    return std::to_string(seconds / 3600) + " h " + std::to_string(seconds % 3600 / 60) +
           " min left";
}

} // namespace tarnwick::shell
