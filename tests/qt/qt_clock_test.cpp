#include "qt/qt_clock.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

namespace tarnwick::qt {
namespace {

// Lets the event loop run until `done` holds (a zero delay fires on a pass).
template <typename Done>
void ProcessUntil(Done done) {
    for (int i = 0; i < 100 && !done(); ++i) QCoreApplication::processEvents();
}

TEST(QtClockTest, ATimerFiresOnceAndMayBeStartedAgainFromItsHandler) {
    QtClock clock;
    int fired = 0;
    std::unique_ptr<platform::Timer> timer;
    timer = clock.NewTimer([&] {
        if (++fired < 3) timer->Start(platform::Duration(0));
    });
    EXPECT_FALSE(timer->IsActive());
    timer->Start(platform::Duration(0));
    EXPECT_TRUE(timer->IsActive());
    ProcessUntil([&] { return fired == 3; });
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(fired, 3);
    EXPECT_FALSE(timer->IsActive());
}

TEST(QtClockTest, ATimerMayBeDestroyedByItsOwnHandler) {
    QtClock clock;
    bool fired = false;
    std::unique_ptr<platform::Timer> timer;
    timer = clock.NewTimer([&] {
        fired = true;
        timer.reset();
    });
    timer->Start(platform::Duration(0));
    ProcessUntil([&] { return fired; });
    EXPECT_TRUE(fired);
    EXPECT_EQ(timer, nullptr);
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

TEST(QtClockTest, AStoppedTimerDoesNotFire) {
    QtClock clock;
    bool fired = false;
    const auto timer = clock.NewTimer([&] { fired = true; });
    timer->Start(platform::Duration(0));
    timer->Stop();
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    EXPECT_FALSE(fired);
}

} // namespace
} // namespace tarnwick::qt
