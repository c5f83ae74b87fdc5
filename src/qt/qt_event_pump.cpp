#include "qt/qt_event_pump.h"

#include <QCoreApplication>

#include <chrono>
#include <ctime>

namespace tarnwick::platform::qt {
namespace {

// Nanoseconds of a monotonic clock. Where the system has a coarse clock (a
// few milliseconds' resolution, read without a timer access) it serves.
int64_t NowNs() {
#ifdef CLOCK_MONOTONIC_COARSE
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
#else
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
#endif
}

} // namespace

void QtEventPump::ProcessEvents() {
    if (min_interval_ns_ > 0) {
        const int64_t now = NowNs();
        if (now - last_round_ns_ < min_interval_ns_) return;
        last_round_ns_ = now;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace tarnwick::platform::qt
