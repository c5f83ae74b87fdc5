// A timer that ticks only when the test says so.
#pragma once

#include "platform/window_timer.h"

#include <utility>

namespace tarnwick::fakes {

class FakeTimer : public platform::WindowTimer {
public:
    void SetInterval(int milliseconds) override { interval = milliseconds; }
    int Interval() const override { return interval; }
    void SetEnabled(bool enabled) override { this->enabled = enabled; }
    bool Enabled() const override { return enabled; }
    void SetTickHandler(std::function<void()> on_tick) override { tick = std::move(on_tick); }

    // One tick, as the interval elapsing would give it; nothing while disabled.
    void Elapse() {
        if (enabled && tick) tick();
    }

    int interval = 0;
    bool enabled = false;
    std::function<void()> tick;
};

} // namespace tarnwick::fakes
