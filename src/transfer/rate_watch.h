// Watches that a body keeps up a least rate: once it has been coming for a
// whole span, every span that ends at one of the watch's checks must have
// brought at least rate × span bytes. A span that brought nothing at all is
// left to the stall limit, unless the rate says otherwise. One timer, woken a few times a span.
#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

namespace tarnwick::transfer {

struct LeastRate {
    int64_t bytes_per_second = 1024;
    platform::Duration span{60000};
    // Whether a span that brought nothing is too slow too, rather than left
    // to the stall limit.
    bool silence_counts = false;
};

class RateWatch {
public:
    // `on_too_slow` is called once, from the timer.
    RateWatch(platform::Clock& clock, LeastRate least, std::function<void()> on_too_slow);

    // The body begins: the first span starts now.
    void Start();
    void Received(size_t bytes) { total_ += static_cast<int64_t>(bytes); }
    void Stop() { timer_->Stop(); }

private:
    struct Sample {
        platform::TimePoint when;
        int64_t total = 0;
    };
    void OnTimer();

    platform::Clock& clock_;
    LeastRate least_;
    std::function<void()> on_too_slow_;
    std::unique_ptr<platform::Timer> timer_;
    int64_t total_ = 0;
    // The totals at the checks of the last span, oldest first.
    std::deque<Sample> samples_;
};

} // namespace tarnwick::transfer
