#include "shell/grid_presentation.h"

#include "fakes/fake_grid.h"

#include <gtest/gtest.h>

namespace tarnwick::shell {
namespace {

std::shared_ptr<list::DownloadView> ViewWithIds(std::initializer_list<int> ids) {
    auto view = std::make_shared<list::DownloadView>();
    for (const int id : ids) view->AppendRow().ID = id;
    return view;
}

class GridPresentationTest : public testing::Test {
protected:
    MainState state;
    fakes::FakeGrid grid;
    GridPresentation presentation{state, grid};
};

TEST_F(GridPresentationTest, StartUpFormattingSetsUpButLeavesTheFlagClear) {
    EXPECT_TRUE(presentation.FormatDownloadGrid(true, nullptr));
    EXPECT_FALSE(state.GridFormatted);
    EXPECT_EQ(grid.caption, "");
    EXPECT_EQ(grid.columns.size(), 5u);
    EXPECT_EQ(grid.columns[4].caption, "File Size");
    EXPECT_EQ(grid.columns[4].width_twips, 750);
    ASSERT_EQ(grid.appearances.size(), 1u);
    EXPECT_EQ(grid.appearances[0].first, (platform::Rgb{233, 225, 225}));
    EXPECT_EQ(grid.appearances[0].second, (platform::Rgb{39, 104, 146}));
    ASSERT_EQ(grid.groups.size(), 5u);
    EXPECT_EQ(grid.groups[1].second.first, (platform::Rgb{107, 116, 119}));
    EXPECT_EQ(grid.groups[1].second.second, (platform::Rgb{255, 255, 255}));
    EXPECT_EQ(grid.groups[4].second.first, (platform::Rgb{255, 199, 0}));
}

TEST_F(GridPresentationTest, AFailedRebindRunsTheFullSetUpNextTime) {
    state.GridFormatted = true;
    grid.fail_next_bind = 5;
    EXPECT_TRUE(presentation.FormatDownloadGrid(false, ViewWithIds({1})));
    EXPECT_FALSE(state.GridFormatted);
    EXPECT_EQ(grid.column_setups, 0);
    presentation.FormatDownloadGrid(false, ViewWithIds({1}));
    EXPECT_TRUE(state.GridFormatted);
    EXPECT_EQ(grid.column_setups, 5);
}

TEST_F(GridPresentationTest, LocateCurrentRowFindsTheRowByItsId) {
    grid.Bind(ViewWithIds({1, 2, 3, 4, 5, 6}));
    state.CurrentIndex = 4;
    presentation.LocateCurrentRow();
    EXPECT_EQ(state.CurrentRow, 4);
    grid.Bind(ViewWithIds({1, 2, 3}));
    presentation.LocateCurrentRow();
    EXPECT_FALSE(state.CurrentRow.has_value());
    grid.Bind(nullptr);
    state.CurrentRow = 0;
    presentation.LocateCurrentRow();
    EXPECT_FALSE(state.CurrentRow.has_value());
}

TEST_F(GridPresentationTest, ShowingBringsTheGridToTheFront) {
    presentation.HideDownloadGrid();
    EXPECT_FALSE(grid.visible);
    presentation.ShowDownloadGrid();
    EXPECT_TRUE(grid.visible);
    EXPECT_EQ(grid.brought_to_front, 1);
}

} // namespace
} // namespace tarnwick::shell
