#include "fakes/fake_clock.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace tarnwick::fakes {

class FakeClock::FakeTimer : public platform::Timer {
public:
    FakeTimer(FakeClock& clock, std::function<void()> on_fire)
        : clock_(&clock), on_fire_(std::move(on_fire)) {
        clock_->timers_.push_back(this);
    }
    ~FakeTimer() override {
        if (clock_ == nullptr) return;
        auto& timers = clock_->timers_;
        timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
    }
    void Start(platform::Duration delay) override {
        active_ = true;
        due_ = clock_->now_ + delay;
        order_ = clock_->next_order_++;
    }
    void Stop() override { active_ = false; }
    bool IsActive() const override { return active_; }

    void Fire() {
        active_ = false;
        // The handler may destroy this timer: it runs from a copy.
        const std::function<void()> on_fire = on_fire_;
        on_fire();
    }
    void Forget() { clock_ = nullptr; }

    FakeClock* clock_;
    std::function<void()> on_fire_;
    bool active_ = false;
    platform::TimePoint due_{};
    uint64_t order_ = 0;
};

FakeClock::~FakeClock() {
    for (FakeTimer* timer : timers_) timer->Forget();
}

std::unique_ptr<platform::Timer> FakeClock::NewTimer(std::function<void()> on_fire) {
    return std::make_unique<FakeTimer>(*this, std::move(on_fire));
}

FakeClock::FakeTimer* FakeClock::NextDue(platform::TimePoint until) const {
    FakeTimer* next = nullptr;
    for (FakeTimer* timer : timers_) {
        if (!timer->active_ || timer->due_ > until) continue;
        if (next == nullptr || timer->due_ < next->due_ ||
            (timer->due_ == next->due_ && timer->order_ < next->order_)) {
            next = timer;
        }
    }
    return next;
}

void FakeClock::Advance(platform::Duration by) {
    const platform::TimePoint until = now_ + by;
    for (int fired = 0; FakeTimer* timer = NextDue(until); ++fired) {
        // A timer that keeps starting itself without delay would never let time pass.
        if (fired > 1000000) throw std::logic_error("timers keep firing without end");
        now_ = std::max(now_, timer->due_);
        timer->Fire();
    }
    now_ = until;
}

int FakeClock::ActiveTimers() const {
    return static_cast<int>(std::count_if(timers_.begin(), timers_.end(),
                                          [](const FakeTimer* t) { return t->active_; }));
}

} // namespace tarnwick::fakes
