#include "qt/instance_lock.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tarnwick::qt {
namespace {

using State = InstanceLock::State;

TEST(InstanceLockTest, OneHoldsTheOthersFindItsChannel) {
    QTemporaryDir folder;
    auto first = std::make_unique<InstanceLock>(folder.path());
    ASSERT_EQ(first->state(), State::kHeld);
    InstanceLock second(folder.path());
    EXPECT_EQ(second.state(), State::kHeldElsewhere);
    EXPECT_EQ(second.RunningChannel(), "") << "not announced yet";
    ASSERT_TRUE(first->Announce("/run/user/1000/tarnwick-channel-1000-42"));
    EXPECT_EQ(second.RunningChannel(), "/run/user/1000/tarnwick-channel-1000-42");
    EXPECT_EQ(second.TryAgain(), State::kHeldElsewhere);
    // However the first program ends, its lock goes with it.
    first.reset();
    EXPECT_EQ(second.TryAgain(), State::kHeld);
}

TEST(InstanceLockTest, AnAnnouncementNotYetEndedIsNotRead) {
    QTemporaryDir folder;
    InstanceLock held(folder.path());
    QFile file(InstanceLock::PathIn(folder.path()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("/run/user/1000/tarnwick-chan");
    file.close();
    InstanceLock other(folder.path());
    EXPECT_EQ(other.RunningChannel(), "");
}

// The clipboard watcher's lock lies beside the program's and never stands in its way.
TEST(InstanceLockTest, LocksOfOtherNamesAreHeldApart) {
    QTemporaryDir folder;
    InstanceLock program(folder.path());
    InstanceLock watcher(folder.path(), kWatcherLockName);
    EXPECT_EQ(program.state(), State::kHeld);
    EXPECT_EQ(watcher.state(), State::kHeld);
    EXPECT_EQ(InstanceLock(folder.path(), kWatcherLockName).state(), State::kHeldElsewhere);
}

TEST(InstanceLockTest, AFolderWithoutRoomGuardsNothing) {
    EXPECT_EQ(InstanceLock("/nonexistent-folder").state(), State::kUnavailable);
}

} // namespace
} // namespace tarnwick::qt
