#include "shell/column_widths.h"

#include "fakes/fake_grid.h"
#include "fakes/fake_settings_store.h"
#include "settings/setting_names.h"

#include <gtest/gtest.h>

namespace tarnwick::shell {
namespace {

TEST(KeptColumnWidthsTest, StoredWidthsReachTheGridAndTheUsersResizesAreStored) {
    list::DownloadQueue queue;
    fakes::FakeGrid grid(queue);
    fakes::FakeSettingsStore store;
    {
        KeptColumnWidths kept(grid, store);
        kept.Restore();
        EXPECT_EQ(grid.widths, std::vector<int>(platform::kColumnCount, 50)) << "nothing stored";
        ASSERT_EQ(grid.column_listener, &kept);
        grid.widths = {40, 300, 120, 110, 90};
        grid.column_listener->OnColumnsResized();
        EXPECT_EQ(store.values[settings::kColumnWidthsSetting], "40,300,120,110,90");
    }
    EXPECT_EQ(grid.column_listener, nullptr);

    fakes::FakeGrid next_start(queue);
    KeptColumnWidths kept(next_start, store);
    kept.Restore();
    EXPECT_EQ(next_start.widths, (std::vector<int>{40, 300, 120, 110, 90}));
}

} // namespace
} // namespace tarnwick::shell
