#include "platform/qt/qt_event_pump.h"

#include <QCoreApplication>

namespace tarnwick::platform::qt {

void QtEventPump::ProcessEvents() {
    if (since_last_round_.isValid() && since_last_round_.elapsed() < min_interval_ms_) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    since_last_round_.start();
}

} // namespace tarnwick::platform::qt
