#include "ping_times.h"

#include <algorithm>

namespace tarnwick::bench {
namespace {

double Ms(int64_t ns) { return static_cast<double>(ns) / 1e6; }

} // namespace

void PingTimes::Answered(uint32_t number, int64_t when_ns) {
    const auto ping = pings_.find(number);
    if (ping != pings_.end() && ping->second.answered_ns == 0) ping->second.answered_ns = when_ns;
}

bool PingTimes::AllAnswered() const {
    return std::all_of(pings_.begin(), pings_.end(),
                       [](const auto& ping) { return ping.second.answered_ns != 0; });
}

std::vector<double> PingTimes::WaitsMs(int64_t now_ns, int64_t from_ns, int64_t to_ns) const {
    std::vector<double> waits;
    for (const auto& [number, ping] : pings_) {
        const int64_t answered = ping.answered_ns != 0 ? ping.answered_ns : now_ns;
        if (answered < from_ns || answered >= to_ns) continue;
        waits.push_back(Ms(answered - ping.sent_ns));
    }
    return waits;
}

double PingTimes::LongestWaitMs(int64_t now_ns) const {
    const std::vector<double> waits = WaitsMs(now_ns);
    return waits.empty() ? 0 : *std::max_element(waits.begin(), waits.end());
}

int64_t PingTimes::LastLateNs(double late_ms, int64_t now_ns) const {
    int64_t last = 0;
    for (const auto& [number, ping] : pings_) {
        const int64_t answered = ping.answered_ns != 0 ? ping.answered_ns : now_ns;
        if (Ms(answered - ping.sent_ns) > late_ms) last = std::max(last, answered);
    }
    return last;
}

} // namespace tarnwick::bench
