#include "qt/qt_timer.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace tarnwick::platform::qt {
namespace {

TEST(QtTimerTest, TicksUntilItsHandlerDisablesIt) {
    QtTimer timer;
    timer.SetInterval(0);
    int ticks = 0;
    timer.SetTickHandler([&] {
        if (++ticks == 3) timer.SetEnabled(false);
    });
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Enabled());
    // A zero interval fires on every pass of the event loop.
    for (int i = 0; i < 20 && timer.Enabled(); ++i) QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer.Enabled());
}

} // namespace
} // namespace tarnwick::platform::qt
