#include "transfer/read_mark.h"

#include <gtest/gtest.h>

namespace tarnwick::transfer {
namespace {

using std::chrono::milliseconds;
constexpr uint64_t kKiB = 1024;

TEST(ReadMarkTest, ASteadyConnectionIsReadAboutEveryMarkWaitUpToTheMostMark) {
    // 64 KiB in 10 ms: 128 KiB in the wait.
    EXPECT_EQ(ReadMarkAfter(64 * kKiB, milliseconds(10), 100 * 1024 * kKiB), 128 * kKiB);
    // 100 KiB in 20 ms, rounded down to a power of two.
    EXPECT_EQ(ReadMarkAfter(100 * kKiB, milliseconds(20), 100 * 1024 * kKiB), 64 * kKiB);
    // Faster than the wait holds: the most; a read in no time counts as 1 ms.
    EXPECT_EQ(ReadMarkAfter(256 * kKiB, milliseconds(1), 100 * 1024 * kKiB), kMostMark);
    EXPECT_EQ(ReadMarkAfter(256 * kKiB, milliseconds(0), 100 * 1024 * kKiB), kMostMark);
}

TEST(ReadMarkTest, NoMarkWhereTheEndOrTheNextByteCouldWaitBehindIt) {
    // The length unknown, or nothing left to come.
    EXPECT_EQ(ReadMarkAfter(256 * kKiB, milliseconds(1), std::nullopt), kNoMark);
    EXPECT_EQ(ReadMarkAfter(256 * kKiB, milliseconds(1), 0), kNoMark);
    // A read that brought nothing: the server is quiet.
    EXPECT_EQ(ReadMarkAfter(0, milliseconds(100), 100 * 1024 * kKiB), kNoMark);
    // Too slow to be worth a mark.
    EXPECT_EQ(ReadMarkAfter(8 * kKiB, milliseconds(20), 100 * 1024 * kKiB), kNoMark);
}

TEST(ReadMarkTest, TheMarkNeverExceedsWhatIsLeftOfTheBody) {
    EXPECT_EQ(ReadMarkAfter(256 * kKiB, milliseconds(1), 100 * kKiB), 64 * kKiB);
    EXPECT_EQ(ReadMarkAfter(256 * kKiB, milliseconds(1), 10 * kKiB), kNoMark);
}

} // namespace
} // namespace tarnwick::transfer
