#include "qt/qt_timer.h"

namespace tarnwick::platform::qt {

QtTimer::QtTimer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (on_tick_) on_tick_();
    });
}

void QtTimer::SetEnabled(bool enabled) {
    if (enabled && !timer_.isActive()) timer_.start();
    if (!enabled) timer_.stop();
}

} // namespace tarnwick::platform::qt
