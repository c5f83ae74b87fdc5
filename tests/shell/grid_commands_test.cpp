#include "shell/grid_commands.h"

#include "fakes/fake_event_pump.h"
#include "fakes/fake_grid.h"
#include "fakes/listing_harness.h"
#include "fakes/scripted_message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::shell {
namespace {

class GridCommandsTest : public testing::Test, protected fakes::ListingHarness {
protected:
    void List(std::initializer_list<std::pair<const char*, const char*>> url_status) {
        for (const auto& [url, status] : url_status) list.AddItem(url, "name", status, "1 KB");
        listing.FillDownloadList();
    }

    std::vector<std::string> Urls() const {
        std::vector<std::string> urls;
        for (const list::ListedItem& item : list.Items()) urls.push_back(item.Video_URL);
        return urls;
    }

    GridCommands commands{state, list, grid, listing};
};

TEST_F(GridCommandsTest, ClearCompletedWalksFromTheBottomAndMatchesExactly) {
    List({{"1", "Complete"},
          {"2", "Waiting"},
          {"3", "Complete"},
          {"4", "complete"},
          {"5", "Complete "}});
    commands.ClearCompleted();
    EXPECT_EQ(Urls(), (std::vector<std::string>{"2", "4", "5"}));
    EXPECT_EQ(list.At(0).ID, 1);
    EXPECT_EQ(grid.RowCount(), 3);
    const int binds = grid.binds;
    commands.ClearCompleted();
    EXPECT_EQ(grid.binds, binds + 1) << "rebuilds even with nothing to clear";
}

TEST_F(GridCommandsTest, CommandsOnAnEmptyGridDoNothing) {
    commands.ClearCompleted();
    commands.RemoveSelected();
    commands.SelectAll();
    EXPECT_EQ(grid.binds, 0);
}

TEST_F(GridCommandsTest, RemoveSelectedTakesWholeRowsAndRowsWithACellOnce) {
    List({{"1", ""}, {"2", ""}, {"3", ""}, {"4", ""}});
    grid.SetCellSelected({1, 2}, true);
    grid.SetCellSelected({1, 4}, true);
    grid.SetRowSelected(3, true);
    commands.RemoveSelected();
    EXPECT_EQ(Urls(), (std::vector<std::string>{"1", "3"}));
    EXPECT_TRUE(grid.selected_cells.empty()) << "the rebuild clears the selection";
}

TEST_F(GridCommandsTest, RemovingEverythingClearsTheGridSetUp) {
    List({{"1", ""}, {"2", ""}});
    commands.SelectAll();
    commands.RemoveSelected();
    EXPECT_TRUE(list.IsListEmpty());
    EXPECT_FALSE(state.GridFormatted);
    EXPECT_EQ(grid.null_binds, 1);
}

TEST_F(GridCommandsTest, MovesFollowTheFirstSelectedCellOnly) {
    List({{"1", ""}, {"2", ""}, {"3", ""}});
    grid.SetCellSelected({2, 1}, true);
    grid.SetCellSelected({1, 1}, true);
    commands.MoveSelectedUp();
    EXPECT_EQ(Urls(), (std::vector<std::string>{"1", "3", "2"}));
    grid.SetCellSelected({0, 3}, true);
    commands.MoveSelectedUp();
    EXPECT_EQ(Urls(), (std::vector<std::string>{"1", "3", "2"}));
    grid.SetCellSelected({2, 0}, true);
    const int binds = grid.binds;
    commands.MoveSelectedDown();
    EXPECT_EQ(Urls(), (std::vector<std::string>{"1", "3", "2"}));
    EXPECT_EQ(grid.binds, binds + 1);
}

TEST_F(GridCommandsTest, SelectAllThenMoveMovesNothing) {
    List({{"1", ""}, {"2", ""}});
    commands.SelectAll();
    EXPECT_TRUE(grid.IsRowSelected(0) && grid.IsRowSelected(1));
    commands.MoveSelectedDown();
    EXPECT_EQ(Urls(), (std::vector<std::string>{"1", "2"}));
}

TEST_F(GridCommandsTest, FileNameEditsAreCleanedOrRefused) {
    List({{"1", ""}, {"2", ""}});
    grid.SetEditHandler(&commands);
    EXPECT_TRUE(grid.UserEdits({1, list::kColumnFileName}, "a:b*c"));
    EXPECT_EQ(grid.CellText(1, list::kColumnFileName), "abc");
    EXPECT_EQ(list.At(1).FileName, "abc");
    EXPECT_EQ(list.At(1).Status, "Waiting");
    EXPECT_FALSE(grid.UserEdits({1, list::kColumnFileName}, "???"));
    EXPECT_EQ(list.At(1).FileName, "abc");
    EXPECT_FALSE(grid.UserEdits({0, list::kColumnFileName}, ".."));
    EXPECT_EQ(list.At(0).FileName, "name");
}

} // namespace
} // namespace tarnwick::shell
