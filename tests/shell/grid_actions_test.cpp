#include "shell/grid_actions.h"

#include "shell/grid_selection.h"
#include "shell/message_texts.h"
#include "shell/shell_harness.h"

#include "fakes/fake_file_manager.h"
#include "fakes/fake_file_system.h"

#include <filesystem>
#include <set>

namespace tarnwick::shell {
namespace {

using list::ItemState;
using platform::MessageAnswer;
using Action = GridAction;

} // namespace

// Names the actions in failure messages.
void PrintTo(GridAction action, std::ostream* out) {
    *out << "action " << static_cast<int>(action);
}

namespace {

const std::string kPage1 = "http://www.youtube.com/watch?v=1";
const std::string kPage2 = "http://www.youtube.com/watch?v=2";
const std::string kPage3 = "http://www.youtube.com/watch?v=3";
const std::string kPage4 = "http://www.youtube.com/watch?v=4";

class GridActionsTest : public ShellHarness {
protected:
    GridActionsTest() { std::filesystem::create_directories(values.download_dir); }

    // Lists the page as an earlier run left it.
    list::ItemKey List(const std::string& page, ItemState state, const std::string& name = "") {
        list::AddVideoURL(queue, page);
        const list::ItemKey key = queue.LastKey();
        queue.Modify(key, [&](list::DownloadItem& item) {
            item.state = state;
            if (!name.empty()) {
                item.name_kind = list::NameKind::kNamed;
                item.name = name;
            }
        });
        return key;
    }
    std::string InFolder(const std::string& name) const {
        return platform::JoinPath(values.download_dir, name);
    }
    // A complete item with its file in the download folder.
    list::ItemKey ListComplete(const std::string& page, const std::string& name) {
        test_support::WriteWholeFile(InFolder(name), "bytes of " + name);
        return List(page, ItemState::kComplete, name);
    }
    void Select(const std::vector<int>& rows) {
        for (const int row : rows) {
            for (int column = 0; column < platform::kColumnCount; ++column) {
                grid.selected_cells.push_back({row, column});
            }
        }
    }
    bool Enabled(Action action) const { return actions.IsEnabled(static_cast<int>(action)); }
    std::set<Action> AllEnabled() const {
        std::set<Action> enabled;
        for (const platform::UserCommand& command : actions.Commands()) {
            if (Enabled(static_cast<Action>(command.id))) {
                enabled.insert(static_cast<Action>(command.id));
            }
        }
        return enabled;
    }
    void Do(Action action) { actions.Run(static_cast<int>(action)); }
    std::string Name(int position) const { return queue.At(position).name; }

    fakes::FakeFileManager file_manager;
    test_support::FakeFileSystem files;
    ItemFiles item_files{{queue, values, files, launch, file_manager, status, grid_commands}};
    GridActions actions{{queue, grid, grid_commands, runs, run, item_files, monitor}};
};

// Which entries apply to which selection, with four items listed: complete,
// failed, waiting, complete.
struct MenuCase {
    const char* what;
    std::vector<int> rows; // selected as a click selects them
    bool all_rows;         // every row's own flag, as Select all sets it
    std::set<Action> enabled;
};

void PrintTo(const MenuCase& c, std::ostream* out) { *out << c.what; }

class MenuEntriesTest : public GridActionsTest, public testing::WithParamInterface<MenuCase> {};

TEST_P(MenuEntriesTest, ApplyToTheSelection) {
    ListComplete(kPage1, "a.mp4");
    List(kPage2, ItemState::kFailed);
    List(kPage3, ItemState::kWaiting);
    ListComplete(kPage4, "d.mp4");
    Select(GetParam().rows);
    if (GetParam().all_rows) grid.SelectAllRows();
    EXPECT_EQ(AllEnabled(), GetParam().enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Selections, MenuEntriesTest,
    testing::Values(
        MenuCase{.what = "nothing", .rows = {}, .all_rows = false, .enabled = {Action::kSelectAll}},
        MenuCase{.what = "the first, complete",
                 .rows = {0},
                 .all_rows = false,
                 .enabled = {Action::kOpen, Action::kShowInFolder, Action::kRename,
                             Action::kMoveDown, Action::kCopyAddress, Action::kRemove,
                             Action::kRemoveAndForget, Action::kSelectAll}},
        MenuCase{.what = "a failed one",
                 .rows = {1},
                 .all_rows = false,
                 .enabled = {Action::kRetry, Action::kRename, Action::kMoveUp, Action::kMoveDown,
                             Action::kCopyAddress, Action::kRemove, Action::kRemoveAndForget,
                             Action::kSelectAll}},
        MenuCase{.what = "a waiting one, while no run is under way",
                 .rows = {2},
                 .all_rows = false,
                 .enabled = {Action::kStart, Action::kRename, Action::kMoveUp, Action::kMoveDown,
                             Action::kCopyAddress, Action::kRemove, Action::kRemoveAndForget,
                             Action::kSelectAll}},
        MenuCase{.what = "the last, complete",
                 .rows = {3},
                 .all_rows = false,
                 .enabled = {Action::kOpen, Action::kShowInFolder, Action::kRename, Action::kMoveUp,
                             Action::kCopyAddress, Action::kRemove, Action::kRemoveAndForget,
                             Action::kSelectAll}},
        MenuCase{.what = "two complete ones: no entry for one item",
                 .rows = {0, 3},
                 .all_rows = false,
                 .enabled = {Action::kMoveDown, Action::kCopyAddress, Action::kRemove,
                             Action::kRemoveAndForget, Action::kSelectAll}},
        MenuCase{.what = "all rows, without a cell: nothing to move",
                 .rows = {},
                 .all_rows = true,
                 .enabled = {Action::kRetry, Action::kStart, Action::kCopyAddress, Action::kRemove,
                             Action::kRemoveAndForget, Action::kSelectAll}}),
    [](const testing::TestParamInfo<MenuCase>& info) {
        std::string name;
        for (const char c : std::string(info.param.what)) {
            if (std::isalnum(static_cast<unsigned char>(c))) name += c;
        }
        return name;
    });

TEST_F(GridActionsTest, StopAppliesToTheRunningItemAndAsksAsTheStopButtonAsks) {
    AddVideo("a", fakes::FakeReply::Of(fakes::FakeReply::Kind::kSilent));
    AddVideo("b");
    runs.ToggleRun();
    Settle();
    Select({1});
    EXPECT_FALSE(Enabled(Action::kStop));
    EXPECT_FALSE(Enabled(Action::kStart)) << "a run is under way";
    grid.ClearSelection();
    Select({0});
    EXPECT_TRUE(Enabled(Action::kStop));
    box.answers = {MessageAnswer::No};
    Do(Action::kStop);
    EXPECT_EQ(box.shown.back().text, kConfirmStopText);
    EXPECT_TRUE(runs.IsRunning());
    box.answers = {MessageAnswer::Yes};
    Do(Action::kStop);
    EXPECT_FALSE(runs.IsRunning());
    EXPECT_EQ(Status(0), "Cancelled");
    EXPECT_TRUE(Enabled(Action::kStart));
    Do(Action::kStart);
    EXPECT_TRUE(runs.IsRunning());
}

TEST_F(GridActionsTest, StopOnOneOfSeveralUnderWayStopsThatOneAndTheRunGoesOn) {
    at_once = 3;
    for (const char* id : {"a", "b", "c"})
        AddVideo(id, fakes::FakeReply::Of(fakes::FakeReply::Kind::kSilent));
    AddVideo("d");
    runs.ToggleRun();
    Settle();
    Select({1});
    box.answers = {MessageAnswer::Yes};
    Do(Action::kStop);
    EXPECT_EQ(box.shown.back().text, kConfirmStopText);
    Settle();
    EXPECT_TRUE(runs.IsRunning());
    EXPECT_EQ(Status(1), "Cancelled");
    EXPECT_NE(Status(0), "Cancelled");
    EXPECT_NE(Status(2), "Cancelled");
    EXPECT_EQ(Status(3), "Complete") << "the free place is taken";

    grid.ClearSelection();
    Select({0, 2});
    box.answers = {MessageAnswer::Yes};
    Do(Action::kStop);
    EXPECT_FALSE(runs.IsRunning()) << "all that was under way: the run stops";
}

TEST_F(GridActionsTest, KeysReachTheGridCommands) {
    List(kPage1, ItemState::kWaiting);
    List(kPage2, ItemState::kWaiting);
    List(kPage3, ItemState::kWaiting);
    List(kPage4, ItemState::kWaiting);
    Select({0, 2});
    Do(Action::kCopyAddress);
    EXPECT_EQ(clipboard.text, kPage1 + "\n" + kPage3);
    Do(Action::kRemove);
    EXPECT_EQ(Addresses(), (std::vector<std::string>{kPage2, kPage4}));
    grid.ClearSelection();
    Select({1});
    Do(Action::kRemoveAndForget);
    EXPECT_EQ(Addresses(), (std::vector<std::string>{kPage2}));
    List(kPage4, ItemState::kWaiting);
    Do(Action::kSelectAll);
    EXPECT_EQ(grid.selected_rows, (std::set<int>{0, 1}));
    Do(Action::kRename);
    EXPECT_TRUE(grid.edited_rows.empty()) << "one item at a time";
    grid.ClearSelection();
    Select({1});
    Do(Action::kRename);
    EXPECT_EQ(grid.edited_rows, (std::vector<int>{1}));
}

TEST_F(GridActionsTest, AMovedItemStaysSelectedSoThatTheMoveRepeats) {
    List(kPage1, ItemState::kWaiting);
    List(kPage2, ItemState::kWaiting);
    List(kPage3, ItemState::kWaiting);
    Select({0});
    Do(Action::kMoveDown);
    Do(Action::kMoveDown);
    EXPECT_EQ(Addresses(), (std::vector<std::string>{kPage2, kPage3, kPage1}));
    EXPECT_FALSE(Enabled(Action::kMoveDown));
    Do(Action::kMoveUp);
    EXPECT_EQ(Addresses(), (std::vector<std::string>{kPage2, kPage1, kPage3}));
    EXPECT_EQ(SelectedItems(queue, grid), (std::vector<list::ItemKey>{queue.At(1).key}));
}

TEST_F(GridActionsTest, EnterAndDoubleClickOpenACompleteItemsFile) {
    ListComplete(kPage1, "a.mp4");
    List(kPage2, ItemState::kWaiting, "b.mp4");
    Select({1});
    Do(Action::kOpen);
    EXPECT_TRUE(launch.opened.empty()) << "only a complete item's file opens";
    grid.ClearSelection();
    Select({0});
    Do(Action::kOpen);
    actions.OnDoubleClicked(0, platform::kColumnFileName);
    EXPECT_EQ(launch.opened, (std::vector<std::string>{InFolder("a.mp4"), InFolder("a.mp4")}));
    EXPECT_TRUE(grid.edited_rows.empty());
    // Elsewhere a double click edits the name it was given on, and only that.
    actions.OnDoubleClicked(1, platform::kColumnStatus);
    EXPECT_TRUE(grid.edited_rows.empty());
    actions.OnDoubleClicked(1, platform::kColumnFileName);
    EXPECT_EQ(grid.edited_rows, (std::vector<int>{1}));
    EXPECT_EQ(launch.opened.size(), 2u);
}

TEST_F(GridActionsTest, WhatKeepsAFileFromOpeningOrShowingIsSaid) {
    ListComplete(kPage1, "a.mp4");
    List(kPage2, ItemState::kComplete, "gone.mp4");
    Select({0});
    Do(Action::kShowInFolder);
    EXPECT_EQ(file_manager.shown, (std::vector<std::string>{InFolder("a.mp4")}));
    EXPECT_EQ(status.Text(), kReadyText);
    file_manager.shows = false;
    Do(Action::kShowInFolder);
    EXPECT_EQ(status.Text(), "No file manager could show \"a.mp4\"");
    launch.handler_exists = false;
    Do(Action::kOpen);
    EXPECT_EQ(status.Text(), "No program could be started to open \"a.mp4\"");

    grid.ClearSelection();
    Select({1});
    Do(Action::kOpen);
    Do(Action::kShowInFolder);
    EXPECT_EQ(status.Text(), "\"gone.mp4\" is no longer in the download folder");
    EXPECT_EQ(launch.opened.size(), 1u);
    EXPECT_EQ(file_manager.shown.size(), 2u);
}

// Renaming: a complete item's file is renamed first, by the no-overwrite
// rule; the list follows only the disk.
struct RenameCase {
    const char* what;
    ItemState state;
    const char* typed;
    bool accepted;
    const char* name_after;
    std::vector<std::string> files_after; // in the download folder, with their bytes' owner
    const char* message;
    int refusal = 0; // what the file system answers to every way of claiming a name
};

void PrintTo(const RenameCase& c, std::ostream* out) { *out << c.what; }

class RenameTest : public GridActionsTest, public testing::WithParamInterface<RenameCase> {};

TEST_P(RenameTest, TheListAndTheDiskAgree) {
    const RenameCase& c = GetParam();
    test_support::WriteWholeFile(InFolder("a.mp4"), "bytes of a.mp4");
    test_support::WriteWholeFile(InFolder("taken.mp4"), "bytes of taken.mp4");
    List(kPage1, c.state, "a.mp4");
    if (c.refusal != 0) {
        files.Refuse(test_support::FakeFileSystem::Call::kRenameNoReplace, c.refusal);
        files.Refuse(test_support::FakeFileSystem::Call::kLink, c.refusal);
        files.Refuse(test_support::FakeFileSystem::Call::kCreateEmpty, c.refusal);
    }
    EXPECT_EQ(item_files.OnFileNameEdited(0, c.typed), c.accepted);
    EXPECT_EQ(Name(0), c.name_after);
    std::vector<std::string> on_disk;
    for (const auto& entry : std::filesystem::directory_iterator(values.download_dir)) {
        const std::string name = entry.path().filename().string();
        on_disk.push_back(name + " <- " + test_support::ReadWholeFile(entry.path().string()));
    }
    std::sort(on_disk.begin(), on_disk.end());
    EXPECT_EQ(on_disk, c.files_after);
    EXPECT_EQ(status.Text(), c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Names, RenameTest,
    testing::Values(
        RenameCase{.what = "complete, to a free name, cleaned first",
                   .state = ItemState::kComplete,
                   .typed = "b:*.mp4",
                   .accepted = true,
                   .name_after = "b.mp4",
                   .files_after = {"b.mp4 <- bytes of a.mp4", "taken.mp4 <- bytes of taken.mp4"},
                   .message = kReadyText},
        RenameCase{.what = "complete, to a name the folder has",
                   .state = ItemState::kComplete,
                   .typed = "taken.mp4",
                   .accepted = false,
                   .name_after = "a.mp4",
                   .files_after = {"a.mp4 <- bytes of a.mp4", "taken.mp4 <- bytes of taken.mp4"},
                   .message = "The download folder has a file named \"taken.mp4\" already: the "
                              "item keeps its name"},
        RenameCase{.what = "complete, where the file system refuses",
                   .state = ItemState::kComplete,
                   .typed = "b.mp4",
                   .accepted = false,
                   .name_after = "a.mp4",
                   .files_after = {"a.mp4 <- bytes of a.mp4", "taken.mp4 <- bytes of taken.mp4"},
                   .message = "\"a.mp4\" could not be renamed (Permission denied): the item keeps "
                              "its name",
                   .refusal = EACCES},
        RenameCase{.what = "complete, to a name that cleans down to nothing",
                   .state = ItemState::kComplete,
                   .typed = "???",
                   .accepted = false,
                   .name_after = "a.mp4",
                   .files_after = {"a.mp4 <- bytes of a.mp4", "taken.mp4 <- bytes of taken.mp4"},
                   .message = kReadyText},
        RenameCase{.what = "waiting: the list alone",
                   .state = ItemState::kWaiting,
                   .typed = "taken.mp4",
                   .accepted = true,
                   .name_after = "taken.mp4",
                   .files_after = {"a.mp4 <- bytes of a.mp4", "taken.mp4 <- bytes of taken.mp4"},
                   .message = kReadyText}),
    [](const testing::TestParamInfo<RenameCase>& info) {
        std::string name;
        for (const char c : std::string(info.param.what)) {
            if (std::isalnum(static_cast<unsigned char>(c))) name += c;
        }
        return name;
    });

TEST_F(GridActionsTest, ACompleteItemWhoseFileIsGoneKeepsItsName) {
    List(kPage1, ItemState::kComplete, "a.mp4");
    EXPECT_FALSE(item_files.OnFileNameEdited(0, "b.mp4"));
    EXPECT_EQ(Name(0), "a.mp4");
    EXPECT_EQ(status.Text(), "\"a.mp4\" is no longer in the download folder");
    EXPECT_TRUE(files.Calls().empty());
    EXPECT_FALSE(std::filesystem::exists(InFolder("b.mp4")));
}

// The program's own copy on the clipboard is not listed again by the
// clipboard monitor, which would say it is listed and start a run.
TEST_F(GridActionsTest, CopiedAddressesDoNotComeBackThroughTheMonitor) {
    List(kPage1, ItemState::kWaiting);
    Select({0});
    launch.programs_exist = false; // the polling stands in
    monitor.SwitchMonitor(true);
    Do(Action::kCopyAddress);
    clock.Advance(ClipboardMonitor::kPollInterval);
    EXPECT_FALSE(runs.IsRunning());
    EXPECT_EQ(status.Text(), kReadyText);
    launch.programs_exist = true;
    monitor.SwitchMonitor(true);
    Do(Action::kCopyAddress);
    monitor.OnDelivery(kPage1);
    EXPECT_EQ(status.Text(), kReadyText);
    EXPECT_FALSE(runs.StartPending());
    // A later copy of the same address from elsewhere counts again.
    monitor.OnDelivery(kPage1);
    EXPECT_EQ(status.Text(), "This address is already in the list, as item 1");
}

} // namespace
} // namespace tarnwick::shell
