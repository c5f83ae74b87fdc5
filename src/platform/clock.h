// Time for the program's steps: the current time, and timers that fire once
// from the event loop. Tests replace both with a clock they advance by hand.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace tarnwick::platform {

using Duration = std::chrono::milliseconds;
using TimePoint = std::chrono::steady_clock::time_point;

// The beat of everything that changes on screen at a steady pace: the marks
// of the steady clock kScreenBeat apart. Changes made at one mark make one
// drawing of the window, rather than one drawing each.
inline constexpr Duration kScreenBeat{250};
inline Duration UntilNextScreenBeat(TimePoint now) {
    return kScreenBeat - std::chrono::duration_cast<Duration>(now.time_since_epoch()) % kScreenBeat;
}

class Timer {
public:
    virtual ~Timer() = default;
    // Fires once, `delay` from now; starting a running timer starts it afresh.
    virtual void Start(Duration delay) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
};

// The time of day by the system's clock, in seconds since 1970 (UTC): what
// a completion or an import is remembered at, where no other is given.
inline int64_t SystemWallSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

class Clock {
public:
    virtual ~Clock() = default;
    virtual TimePoint Now() const = 0;
    // A stopped timer that calls `on_fire` from the event loop each time it
    // fires. The handler may start, stop or destroy the timer.
    virtual std::unique_ptr<Timer> NewTimer(std::function<void()> on_fire) = 0;
};

} // namespace tarnwick::platform
