#include "list/rare_fields.h"

#include "list/download_item.h"

#include <gtest/gtest.h>

namespace tarnwick::list {
namespace {

TEST(RareFieldsHolder, ReadsDefaultsUntilWrittenAndLetsThemGoWhenTidied) {
    DownloadItem item;
    const DownloadItem& read = item;
    EXPECT_FALSE(read.rare->failure);
    EXPECT_FALSE(read.rare->kept);
    EXPECT_FALSE(item.rare.IsHeld()) << "reading through a const item holds nothing";

    item.rare->kept = transfer::KeptWhole{"/v/a.tarnwick.part", 10};
    DownloadItem copy = item;
    copy = copy;
    EXPECT_EQ(copy, item);
    copy.rare->kept = transfer::KeptWhole{"/v/a.tarnwick.part", 20};
    EXPECT_NE(copy, item) << "a copy holds fields of its own";

    ForgetKeptFile(item);
    EXPECT_FALSE(item.rare.IsHeld()) << "fields all back at their defaults are let go";
    EXPECT_EQ(item, DownloadItem()) << "held defaults equal none";

    item.rare->failure = Failure{Reason::kDiskFull};
    item.rare.Tidy();
    EXPECT_TRUE(item.rare.IsHeld()) << "a failure is kept";
}

} // namespace
} // namespace tarnwick::list
