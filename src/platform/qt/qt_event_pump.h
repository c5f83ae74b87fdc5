// The event pump over Qt's event loop. A round processes the pending events
// at most once every `min_interval_ms` milliseconds and is otherwise a clock
// read, so that loops that yield very often (a rebuild, a transfer) stay fast
// while the window stays live.
#pragma once

#include "platform/event_pump.h"

#include <QElapsedTimer>

namespace tarnwick::platform::qt {

class QtEventPump : public EventPump {
public:
    explicit QtEventPump(int min_interval_ms = 2) : min_interval_ms_(min_interval_ms) {}
    void ProcessEvents() override;

private:
    int min_interval_ms_;
    QElapsedTimer since_last_round_;
};

} // namespace tarnwick::platform::qt
