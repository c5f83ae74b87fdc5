// The clock and timers of the program's steps, on the steady clock and QTimer.
#pragma once

#include "platform/clock.h"

namespace tarnwick::qt {

class QtClock : public platform::Clock {
public:
    platform::TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    std::unique_ptr<platform::Timer> NewTimer(std::function<void()> on_fire) override;
};

} // namespace tarnwick::qt
