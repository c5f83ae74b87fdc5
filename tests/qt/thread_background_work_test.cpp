#include "qt/thread_background_work.h"

#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace tarnwick::qt {
namespace {

TEST(ThreadBackgroundWorkTest, RunsAsideInOrderAndTellsFromTheEventLoop) {
    ThreadBackgroundWork background;
    const std::thread::id event_loop = std::this_thread::get_id();
    std::vector<int> ran;
    std::vector<int> told;
    bool aside = true;
    std::vector<platform::BackgroundWork::Ticket> tickets;
    for (int i = 0; i < 20; ++i) {
        tickets.push_back(background.Run(
            [&, i] {
                aside = aside && std::this_thread::get_id() != event_loop;
                ran.push_back(i);
                return i;
            },
            [&, i](int answer) {
                EXPECT_EQ(std::this_thread::get_id(), event_loop);
                EXPECT_EQ(answer, i);
                told.push_back(i);
            }));
    }
    EXPECT_TRUE(told.empty()) << "never from inside Run";
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.size() == 20; }));
    EXPECT_TRUE(aside);
    std::vector<int> in_order(20);
    for (int i = 0; i < 20; ++i) in_order[i] = i;
    EXPECT_EQ(ran, in_order);
    EXPECT_EQ(told, in_order);
}

TEST(ThreadBackgroundWorkTest, ADroppedTicketSilencesTheEndButTheWorkStillRuns) {
    std::atomic<bool> ran = false;
    bool told = false;
    {
        ThreadBackgroundWork background;
        background.Run([&] { return ran = true, 0; }, [&](int) { told = true; });
        // The ticket went at once; what waits is done before the thread ends.
    }
    EXPECT_TRUE(ran);
    QTest::qWait(20);
    EXPECT_FALSE(told);
}

} // namespace
} // namespace tarnwick::qt
