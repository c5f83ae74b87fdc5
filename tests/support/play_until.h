// Lets Qt's event loop run, waiting for events rather than spinning, until a
// condition holds; for tests of the real window and the desktop's services.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>

namespace tarnwick::test_support {

// Whether `done` held before a minute passed, however slow the machine.
// `each` runs after every round of events.
inline bool PlayUntil(const std::function<bool()>& done, const std::function<void()>& each = {}) {
    const QDeadlineTimer deadline(std::chrono::minutes(1));
    QTimer wake; // so that the deadline is looked at while nothing happens
    wake.start(50);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (each) each();
    }
    return done();
}

} // namespace tarnwick::test_support
