// An event pump that counts its rounds and can run a callback in one of them,
// to play what the user does while long work yields.
#pragma once

#include "platform/event_pump.h"

#include <functional>

namespace tarnwick::fakes {

class FakeEventPump : public platform::EventPump {
public:
    void ProcessEvents() override {
        ++rounds;
        if (on_round) on_round(rounds);
    }

    int rounds = 0;
    // Called with the round's number (1 for the first round).
    std::function<void(int)> on_round;
};

} // namespace tarnwick::fakes
