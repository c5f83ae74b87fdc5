// A timer of the main window: while enabled it ticks every interval. The
// one-shot timers disable themselves in their own tick.
#pragma once

#include <functional>

namespace tarnwick::platform {

class WindowTimer {
public:
    virtual ~WindowTimer() = default;
    virtual void SetInterval(int milliseconds) = 0;
    virtual int Interval() const = 0;
    // Enabling a running timer leaves it running; enabling a stopped one
    // starts a full interval.
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetTickHandler(std::function<void()> on_tick) = 0;
};

} // namespace tarnwick::platform
