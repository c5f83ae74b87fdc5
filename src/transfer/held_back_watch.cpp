#include "transfer/held_back_watch.h"

#include <chrono>
#include <utility>

namespace tarnwick::transfer {

HeldBackWatch::HeldBackWatch(platform::Clock& clock, std::function<int64_t()> received,
                             std::function<void()> on_held_back)
    : clock_(clock),
      received_(std::move(received)),
      on_held_back_(std::move(on_held_back)),
      timer_(clock.NewTimer([this] { Look(); })) {}

void HeldBackWatch::Start() {
    since_ = clock_.Now();
    from_ = received_();
    timer_->Start(kFirstLook);
}

void HeldBackWatch::Look() {
    const platform::TimePoint now = clock_.Now();
    const int64_t brought = received_() - from_;
    const int64_t ms = std::chrono::duration_cast<platform::Duration>(now - since_).count();
    if (brought * 1000 < kFastBytesPerSecond * ms) return on_held_back_();
    since_ = now;
    from_ += brought;
    timer_->Start(kLaterLook);
}

} // namespace tarnwick::transfer
