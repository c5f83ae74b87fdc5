#include "transfer/write_behind.h"

#include "fakes/held_work.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace tarnwick::transfer {
namespace {

bool IsOpen(int descriptor) { return ::fcntl(descriptor, F_GETFD) != -1; }

TEST(WriteBehindTest, StartsTheDiskEveryStepAsideAndClosesItsOwnCopyLast) {
    test_support::TempFolder folder;
    const int file = ::open(folder.File("v.part").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(file, 0);
    fakes::HeldWork background;
    {
        WriteBehind behind(background);
        behind.Written(file, WriteBehind::kStep - 1);
        EXPECT_EQ(background.Held(), 0u) << "less than a step";
        behind.Written(file, WriteBehind::kStep);
        behind.Written(file, WriteBehind::kStep + 10);
        behind.Written(file, 2 * WriteBehind::kStep + 10);
        EXPECT_EQ(background.Held(), 2u);
    }
    EXPECT_EQ(background.Held(), 3u) << "and the close of its copy";
    while (background.Release()) {
    }
    EXPECT_TRUE(IsOpen(file)) << "the file's own descriptor is the transfer's";
    ::close(file);
}

} // namespace
} // namespace tarnwick::transfer
