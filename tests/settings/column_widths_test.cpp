#include "settings/column_widths.h"

#include "fakes/fake_settings_store.h"
#include "settings/setting_names.h"

#include <gtest/gtest.h>

namespace tarnwick::settings {
namespace {

TEST(ColumnWidthsTest, AreKeptAsFiveWholeNumbersAndReadOnlySo) {
    fakes::FakeSettingsStore store;
    EXPECT_FALSE(LoadColumnWidths(store));
    SaveColumnWidths(store, {46, 262, 151, 130, 79});
    EXPECT_EQ(store.values[kColumnWidthsSetting], "46,262,151,130,79");
    EXPECT_EQ(LoadColumnWidths(store), (std::vector<int>{46, 262, 151, 130, 79}));
    for (const char* bad : {"46,262,151,130", "46,262,151,130,79,5", "46,262,0,130,79",
                            "46,262,-1,130,79", "46,262,x,130,79", "46,262,151,130,79,", ""}) {
        store.values[kColumnWidthsSetting] = bad;
        EXPECT_FALSE(LoadColumnWidths(store)) << bad;
    }
}

} // namespace
} // namespace tarnwick::settings
