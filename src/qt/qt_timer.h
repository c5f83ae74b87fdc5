// A main-window timer on QTimer.
#pragma once

#include "platform/window_timer.h"

#include <QTimer>

namespace tarnwick::platform::qt {

class QtTimer : public WindowTimer {
public:
    QtTimer();
    void SetInterval(int milliseconds) override { timer_.setInterval(milliseconds); }
    int Interval() const override { return timer_.interval(); }
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return timer_.isActive(); }
    void SetTickHandler(std::function<void()> on_tick) override { on_tick_ = std::move(on_tick); }

private:
    QTimer timer_;
    std::function<void()> on_tick_;
};

} // namespace tarnwick::platform::qt
