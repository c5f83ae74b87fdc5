// A clock that stands still until the test advances it, firing the timers
// that fall due on the way in the order of their due times.
#pragma once

#include "platform/clock.h"

#include <functional>
#include <memory>
#include <vector>

namespace tarnwick::fakes {

class FakeClock : public platform::Clock {
public:
    FakeClock() = default;
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;
    ~FakeClock() override;

    platform::TimePoint Now() const override { return now_; }
    std::unique_ptr<platform::Timer> NewTimer(std::function<void()> on_fire) override;

    // Moves time on by `by`, firing each timer when its time comes.
    void Advance(platform::Duration by);
    // Fires the timers due now, such as those started with no delay.
    void RunDue() { Advance(platform::Duration(0)); }
    int ActiveTimers() const;
    // Whether a timer is due now.
    bool HasDue() const { return NextDue(now_) != nullptr; }

private:
    class FakeTimer;
    friend class FakeTimer;
    FakeTimer* NextDue(platform::TimePoint until) const;

    platform::TimePoint now_{};
    uint64_t next_order_ = 0;
    std::vector<FakeTimer*> timers_;
};

} // namespace tarnwick::fakes
