// Runs Qt's event loop until a condition holds, for tests and benchmarks that
// drive the real HTTP client: checked every millisecond, given up after ten
// seconds (or the limit given) so that a fault fails instead of hanging.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace tarnwick::test_support {

// Whether `done` held before `limit_ms` (ten seconds unless told) passed.
inline bool RunEventsUntil(const std::function<bool()>& done, int limit_ms = 10000) {
    QEventLoop loop;
    QTimer check;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done() || waited.elapsed() > limit_ms) loop.quit();
    });
    check.start(1);
    loop.exec();
    return done();
}

} // namespace tarnwick::test_support
