#include "transfer/time_limits.h"

#include <chrono>

namespace tarnwick::transfer {

LimitWatch::LimitWatch(platform::Clock& clock, TimeLimits limits,
                       std::function<void(Reason)> on_passed)
    : clock_(clock),
      limits_(limits),
      on_passed_(std::move(on_passed)),
      timer_(clock.NewTimer([this] { OnTimer(); })) {}

void LimitWatch::Opening() {
    answered_ = false;
    timer_->Start(limits_.open);
}

void LimitWatch::Answered() {
    answered_ = true;
    last_byte_ = clock_.Now();
    timer_->Start(limits_.stall);
}

void LimitWatch::OnTimer() {
    if (!answered_) {
        on_passed_(Reason::kOpenTimeout);
        return;
    }
    const auto quiet = std::chrono::duration_cast<platform::Duration>(clock_.Now() - last_byte_);
    if (quiet >= limits_.stall) {
        on_passed_(Reason::kStallTimeout);
        return;
    }
    timer_->Start(limits_.stall - quiet);
}

} // namespace tarnwick::transfer
