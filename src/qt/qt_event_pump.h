// The event pump over Qt's event loop. A round processes the pending events
// at most once every `min_interval_ms` milliseconds and is otherwise one read
// of a coarse clock, so that loops that yield very often (a rebuild, a
// transfer) stay fast while the window stays live.
#pragma once

#include "platform/event_pump.h"

#include <cstdint>

namespace tarnwick::platform::qt {

class QtEventPump : public EventPump {
public:
    explicit QtEventPump(int min_interval_ms = 2) : min_interval_ns_(min_interval_ms * 1000000LL) {}
    void ProcessEvents() override;

private:
    int64_t min_interval_ns_;
    int64_t last_round_ns_ = 0;
};

} // namespace tarnwick::platform::qt
