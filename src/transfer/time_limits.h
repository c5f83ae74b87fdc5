// The two limits every request of a step keeps: how long the answer may take
// to begin, and how long the body may go without a byte.
#pragma once

#include "common/outcome.h"
#include "platform/clock.h"

#include <functional>
#include <memory>

namespace tarnwick::transfer {

struct TimeLimits {
    platform::Duration open{30000};
    platform::Duration stall{60000};
};

// Watches one request against its limits with one timer. Receiving body
// bytes only notes the time, so it costs no timer restart.
class LimitWatch {
public:
    // `on_passed` hears kOpenTimeout or kStallTimeout, once, from the timer.
    LimitWatch(platform::Clock& clock, TimeLimits limits, std::function<void(Reason)> on_passed);

    // The request is sent: the open limit runs.
    void Opening();
    // The answer began: the stall limit runs from now.
    void Answered();
    // Body bytes came.
    void Received() { last_byte_ = clock_.Now(); }
    void Stop() { timer_->Stop(); }

private:
    void OnTimer();

    platform::Clock& clock_;
    TimeLimits limits_;
    std::function<void(Reason)> on_passed_;
    std::unique_ptr<platform::Timer> timer_;
    bool answered_ = false;
    platform::TimePoint last_byte_{};
};

} // namespace tarnwick::transfer
