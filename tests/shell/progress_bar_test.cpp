#include "shell/progress_bar.h"

#include <gtest/gtest.h>

namespace tarnwick::shell {
namespace {

TEST(ProgressLayout, BarCoversThePercentageOfTheWidth) {
    const ProgressBarLayout half = LayoutProgressBar(45, 10, 110);
    EXPECT_EQ(half.text, "45%");
    EXPECT_EQ(half.bar_left, 10);
    EXPECT_EQ(half.bar_right, 54); // ends at 55, one column short
    const ProgressBarLayout rounded = LayoutProgressBar(50, 0, 101);
    EXPECT_EQ(rounded.bar_right, 49); // 50.5 rounds to the even 50
}

TEST(ProgressLayout, ClampsToZeroAndAHundred) {
    const ProgressBarLayout below = LayoutProgressBar(-5, 0, 100);
    EXPECT_EQ(below.text, "0%");
    EXPECT_EQ(below.bar_right, below.bar_left);
    const ProgressBarLayout above = LayoutProgressBar(150, 0, 100);
    EXPECT_EQ(above.text, "100%");
    EXPECT_EQ(above.bar_right, 99);
}

} // namespace
} // namespace tarnwick::shell
