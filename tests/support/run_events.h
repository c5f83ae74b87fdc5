// Runs Qt's event loop until a condition holds, for tests and benchmarks that
// drive the real HTTP client: checked every millisecond, given up after ten
// seconds so that a fault fails instead of hanging.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace tarnwick::test_support {

// Whether `done` held before the ten seconds passed.
inline bool RunEventsUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer check;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done() || waited.elapsed() > 10000) loop.quit();
    });
    check.start(1);
    loop.exec();
    return done();
}

} // namespace tarnwick::test_support
