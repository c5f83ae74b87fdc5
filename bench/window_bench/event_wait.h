// Waits on the benchmark's sources of events (the display, the download
// folder) until a condition holds or the time is up, and meanwhile pings the
// program's main window every kPingInterval when asked to.
#pragma once

#include "download_watch.h"
#include "x_observer.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace tarnwick::bench {

class EventWait {
public:
    static constexpr std::chrono::milliseconds kPingInterval{10};
    static constexpr std::chrono::milliseconds kPollInterval{10};

    EventWait(XObserver& x, DownloadWatch* downloads) : x_(x), downloads_(downloads) {}

    void SetPinging(bool on);
    // Handles events until `done` holds (true) or `limit` has passed (false).
    bool Until(const std::function<bool()>& done, std::chrono::milliseconds limit);
    // Handles events for `span`.
    void For(std::chrono::milliseconds span);

private:
    void PingWhenDue(int64_t now_ns);

    XObserver& x_;
    DownloadWatch* downloads_;
    bool pinging_ = false;
    int64_t next_ping_ns_ = 0;
};

} // namespace tarnwick::bench
