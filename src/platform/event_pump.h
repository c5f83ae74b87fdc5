// Lets the user interface process its pending events: one round per call.
#pragma once

namespace tarnwick::platform {

class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void ProcessEvents() = 0;
};

} // namespace tarnwick::platform
