#include "common/result.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace tarnwick {
namespace {

// A failure is what the user is told and the list keeps: the system's error
// beside the words tells no two failures apart.
TEST(Failure, ASystemFailureCarriesTheErrorAndComparesByWhatIsShown) {
    const Failure full = SystemFailure(Reason::kDiskFull, ENOSPC);
    EXPECT_EQ(full.system, std::errc::no_space_on_device);
    EXPECT_EQ(full.detail, std::strerror(ENOSPC));
    EXPECT_EQ(full, (Failure{Reason::kDiskFull, 0, std::strerror(ENOSPC)}));
    EXPECT_NE(full, (Failure{Reason::kWriteFailed, 0, std::strerror(ENOSPC)}));
}

TEST(Result, HoldsTheValueOrTheFailure) {
    Result<std::string> named = std::string("clip.mp4");
    ASSERT_TRUE(named);
    EXPECT_EQ(std::move(named).value(), "clip.mp4");

    const Result<std::string> refused = Failure{Reason::kNameNotClaimed, 0, "File exists"};
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.failure().detail, "File exists");

    EXPECT_TRUE(Status());
    EXPECT_FALSE(Status(Failure{}));
}

} // namespace
} // namespace tarnwick
