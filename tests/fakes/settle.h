// Lets the fake network and the fake clock play until nothing more happens
// now: every routed reply is served and every timer due now fires, again and
// again, as the replies and timers lead to further requests and timers.
#pragma once

#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"

#include <gtest/gtest.h>

namespace tarnwick::fakes {

inline void Settle(FakeHttp& http, FakeClock& clock) {
    for (int round = 0; round < 10000; ++round) {
        const size_t requests = http.exchanges.size();
        http.ServeAll();
        const bool due = clock.HasDue();
        clock.RunDue();
        if (!due && http.exchanges.size() == requests) return;
    }
    ADD_FAILURE() << "the network and the clock never settle";
}

} // namespace tarnwick::fakes
