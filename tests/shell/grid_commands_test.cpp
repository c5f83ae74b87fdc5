#include "shell/shell_harness.h"

#include "resolve/site_index.h"
#include "shell/grid_selection.h"

namespace tarnwick::shell {
namespace {

class GridCommandsTest : public ShellHarness {
protected:
    // Lists the addresses, with the given item states.
    void List(std::initializer_list<std::pair<const char*, list::ItemState>> items) {
        for (const auto& [address, state] : items) {
            list::AddVideoURL(queue, address);
            queue.Modify(queue.LastKey(), [s = state](list::DownloadItem& i) { i.state = s; });
        }
    }
    void List(std::initializer_list<const char*> addresses) {
        for (const char* address : addresses) list::AddVideoURL(queue, address);
    }
};

using list::ItemState;

TEST_F(GridCommandsTest, ClearCompletedRemovesExactlyTheCompleteItems) {
    List({{"1", ItemState::kComplete},
          {"2", ItemState::kWaiting},
          {"3", ItemState::kComplete},
          {"4", ItemState::kFailed},
          {"5", ItemState::kCancelled}});
    grid.selected_rows = {1};
    grid_commands.ClearCompleted();
    EXPECT_EQ(Addresses(), (std::vector<std::string>{"2", "4", "5"}));
    EXPECT_TRUE(grid.selected_rows.empty()) << "nothing stays selected";
}

TEST_F(GridCommandsTest, CommandsOnAnEmptyGridDoNothing) {
    grid_commands.ClearCompleted();
    grid_commands.RemoveSelected();
    grid_commands.SelectAll();
    EXPECT_EQ(grid.selection_clears, 0);
}

TEST_F(GridCommandsTest, RemoveSelectedTakesWholeRowsAndRowsWithACellOnce) {
    List({"1", "2", "3", "4"});
    grid.selected_cells = {{1, 2}, {1, 4}};
    grid.SetRowSelected(3, true);
    grid_commands.RemoveSelected();
    EXPECT_EQ(Addresses(), (std::vector<std::string>{"1", "3"}));
    EXPECT_TRUE(grid.selected_cells.empty());
    grid_commands.SelectAll();
    grid_commands.RemoveSelected();
    EXPECT_TRUE(queue.IsEmpty());
}

TEST_F(GridCommandsTest, MovesFollowTheFirstSelectedCellOnly) {
    List({"1", "2", "3"});
    grid.selected_cells = {{2, 1}, {1, 1}};
    grid_commands.MoveSelectedUp();
    EXPECT_EQ(Addresses(), (std::vector<std::string>{"1", "3", "2"}));
    EXPECT_EQ(SelectedItems(queue, grid), (std::vector<list::ItemKey>{queue.At(1).key}))
        << "the moved item alone stays selected";
    grid.selected_cells = {{0, 3}};
    grid_commands.MoveSelectedUp();
    grid.selected_cells = {{2, 0}};
    grid_commands.MoveSelectedDown();
    EXPECT_EQ(Addresses(), (std::vector<std::string>{"1", "3", "2"}));
    grid_commands.SelectAll();
    grid_commands.MoveSelectedDown();
    EXPECT_EQ(Addresses(), (std::vector<std::string>{"1", "3", "2"}))
        << "whole rows selected without a cell move nothing";
}

TEST_F(GridCommandsTest, RetryPutsSelectedFailedItemsBackWithTheirNamesDerivedAgain) {
    List({"http://www.youtube.com/watch?v=1", "http://www.youtube.com/watch?v=2",
          "http://www.youtube.com/watch?v=3"});
    for (int position = 0; position < 3; ++position) {
        queue.Modify(queue.At(position).key, [&](list::DownloadItem& item) {
            item.state = position < 2 ? list::ItemState::kFailed : list::ItemState::kComplete;
            item.rare->failure = Failure{Reason::kNoLinkInPage};
            item.name_kind = list::NameKind::kProcessFailed;
            item.size_kind = list::SizeKind::kNone; // an error answer's
        });
    }
    queue.Rename(queue.At(1).key, "mine.flv");
    grid.SetRowSelected(0, true);
    grid.SelectCell({1, 3});
    grid.SelectCell({2, 3});
    grid_commands.RetrySelected();
    EXPECT_EQ(Status(0), "Waiting");
    EXPECT_EQ(list::FileNameText(queue.At(0)), "Waiting (Auto Detect)");
    EXPECT_FALSE(queue.At(0).rare->failure);
    EXPECT_EQ(list::SizeText(queue.At(0)), "????") << "not known until asked again";
    EXPECT_EQ(Status(1), "Waiting");
    EXPECT_EQ(list::FileNameText(queue.At(1)), "mine.flv") << "a name the user gave stays";
    EXPECT_EQ(Status(2), "Complete") << "only failed items are retried";
    EXPECT_TRUE(grid.selected_rows.empty());
}

TEST_F(GridCommandsTest, RetryTellsTheSiteAgainAsTheOtherSitesSwitchNowSays) {
    list::AddVideoURL(queue, "http://news.example/story", false);
    queue.Modify(queue.LastKey(), [](list::DownloadItem& item) {
        item.state = list::ItemState::kFailed;
        item.rare->failure = Failure{Reason::kUnsupportedSite};
        item.name_kind = list::NameKind::kUnsupportedLink;
    });
    values.other_sites = true;
    grid.SetRowSelected(0, true);
    grid_commands.RetrySelected();
    EXPECT_EQ(queue.At(0).site, resolve::kSiteGeneral);
    EXPECT_EQ(Status(0), "Waiting");
    EXPECT_EQ(list::FileNameText(queue.At(0)), "Waiting (Auto Detect)");
}

TEST_F(GridCommandsTest, FileNameEditsAreCleanedOrRefused) {
    List({"http://www.youtube.com/watch?v=1", "http://www.youtube.com/watch?v=2"});
    EXPECT_TRUE(grid_commands.OnFileNameEdited(1, "a:b*c"));
    EXPECT_EQ(list::FileNameText(queue.At(1)), "abc");
    EXPECT_EQ(Status(1), "Waiting");
    EXPECT_FALSE(grid_commands.OnFileNameEdited(1, "???"));
    EXPECT_EQ(list::FileNameText(queue.At(1)), "abc");
    EXPECT_FALSE(grid_commands.OnFileNameEdited(0, ".."));
    EXPECT_EQ(list::FileNameText(queue.At(0)), "Waiting (Auto Detect)");
}

} // namespace
} // namespace tarnwick::shell
