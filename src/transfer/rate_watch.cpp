#include "transfer/rate_watch.h"

#include <chrono>
#include <utility>

namespace tarnwick::transfer {
namespace {

constexpr int kChecksPerSpan = 6;

} // namespace

RateWatch::RateWatch(platform::Clock& clock, LeastRate least, std::function<void()> on_too_slow)
    : clock_(clock),
      least_(least),
      on_too_slow_(std::move(on_too_slow)),
      timer_(clock.NewTimer([this] { OnTimer(); })) {}

void RateWatch::Start() {
    total_ = 0;
    samples_ = {{clock_.Now(), 0}};
    timer_->Start(least_.span / kChecksPerSpan);
}

void RateWatch::OnTimer() {
    const platform::TimePoint now = clock_.Now();
    const platform::TimePoint span_start = now - least_.span;
    samples_.push_back({now, total_});
    // The oldest sample kept is the latest one at or before the span's start.
    while (samples_.size() > 1 && samples_[1].when <= span_start) samples_.pop_front();
    if (samples_.front().when <= span_start) {
        const int64_t brought = total_ - samples_.front().total;
        const int64_t ms =
            std::chrono::duration_cast<platform::Duration>(now - samples_.front().when).count();
        if ((brought > 0 || least_.silence_counts) &&
            brought * 1000 < least_.bytes_per_second * ms) {
            on_too_slow_();
            return;
        }
    }
    timer_->Start(least_.span / kChecksPerSpan);
}

} // namespace tarnwick::transfer
