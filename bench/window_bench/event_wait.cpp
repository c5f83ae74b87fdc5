#include "event_wait.h"

#include "support/server_process.h"

#include <poll.h>

#include <algorithm>

namespace tarnwick::bench {
namespace {

constexpr int64_t kNsPerMs = 1000000;

} // namespace

void EventWait::SetPinging(bool on) {
    pinging_ = on;
    next_ping_ns_ = MonotonicNs();
}

void EventWait::PingWhenDue(int64_t now_ns) {
    if (!pinging_ || now_ns < next_ping_ns_) return;
    x_.Ping();
    const int64_t interval = kPingInterval.count() * kNsPerMs;
    next_ping_ns_ += interval;
    // After a late turn, the next ping is an interval away, not a burst.
    if (next_ping_ns_ <= now_ns) next_ping_ns_ = now_ns + interval;
}

bool EventWait::Until(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const int64_t end = MonotonicNs() + limit.count() * kNsPerMs;
    pollfd watched[2] = {{x_.Fd(), POLLIN, 0}, {downloads_ ? downloads_->Fd() : -1, POLLIN, 0}};
    for (;;) {
        x_.Dispatch();
        if (downloads_ != nullptr) downloads_->Dispatch();
        if (done()) return true;
        const int64_t now = MonotonicNs();
        if (now >= end) return false;
        PingWhenDue(now);
        // Conditions that no descriptor tells of (a process that ended) are
        // looked at again at least every kPollInterval.
        int64_t wake = std::min(end, now + kPollInterval.count() * kNsPerMs);
        if (pinging_) wake = std::min(wake, next_ping_ns_);
        const int64_t wait = std::max<int64_t>(wake - now, 0);
        const timespec timeout{static_cast<time_t>(wait / 1000000000),
                               static_cast<long>(wait % 1000000000)};
        ::ppoll(watched, downloads_ ? 2 : 1, &timeout, nullptr);
    }
}

void EventWait::For(std::chrono::milliseconds span) {
    Until([] { return false; }, span);
}

} // namespace tarnwick::bench
