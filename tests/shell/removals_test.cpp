#include "shell/shell_harness.h"
#include "support/kept_files.h"

#include <filesystem>

namespace tarnwick::shell {
namespace {

using std::chrono::milliseconds;

class RemovalsTest : public ShellHarness {
protected:
    RemovalsTest() {
        keeper.SetKeeping(true);
        for (const char* id : {"a", "b", "c", "d"}) AddVideo(id);
    }
    // The item at `position` was cut off partway: it keeps its bytes.
    std::string CutOff(int position) {
        const std::string path =
            folder.File(queue.At(position).page_address.substr(23) + ".7.tarnwick.part");
        test_support::WriteWholeFile(path, "kept");
        queue.Modify(queue.At(position).key, [&](list::DownloadItem& item) {
            item.state = list::ItemState::kCancelled;
            item.rare->kept = transfer::KeptWhole{path, 4};
        });
        return path;
    }
    std::vector<std::string> KeptAddresses() const {
        std::vector<std::string> addresses;
        for (const auto& item : list_store.items) addresses.push_back(item.page_address);
        return addresses;
    }
    static std::string Page(const char* id) { return std::string("http://www.putfile.com/") + id; }
};

TEST_F(RemovalsTest, UndoPutsTheItemsBackInTheirPlacesWithTheFilesTheyKept) {
    const std::string kept = CutOff(1);
    const std::vector<std::string> before = Addresses();
    grid.SetRowSelected(1, true);
    grid.SelectCell({2, 1});
    grid_commands.RemoveSelected();
    EXPECT_EQ(Addresses(), (std::vector<std::string>{Page("a"), Page("d")}));
    EXPECT_EQ(status.Text(), "Removed 2 items \u2014 Undo (Ctrl+Z)");
    EXPECT_TRUE(std::filesystem::exists(kept)) << "kept for the undo";

    clock.Advance(Removals::kUndoTime - milliseconds(1));
    EXPECT_EQ(status.Text(), "Removed 2 items \u2014 Undo (Ctrl+Z)");
    EXPECT_TRUE(removals.Undo());
    EXPECT_EQ(Addresses(), before);
    EXPECT_EQ(KeptAddresses(), before) << "the kept list follows";
    EXPECT_EQ(test_support::KeptPath(queue.At(1)), kept);
    EXPECT_EQ(Status(1), "Cancelled");
    EXPECT_EQ(status.Text(), "Put back 2 items");
    clock.Advance(Removals::kUndoTime);
    EXPECT_TRUE(std::filesystem::exists(kept)) << "the item owns it again";
    EXPECT_FALSE(removals.Undo());
}

TEST_F(RemovalsTest, OnceTheTimeHasPassedOrAtExitTheRemovedItemsFilesGo) {
    const std::string first = CutOff(0);
    const std::string second = CutOff(3);
    grid.SetRowSelected(0, true);
    grid_commands.RemoveSelected();
    clock.Advance(Removals::kUndoTime - milliseconds(1));
    grid.SetRowSelected(2, true);
    grid_commands.RemoveSelected();
    clock.Advance(milliseconds(1));
    EXPECT_FALSE(std::filesystem::exists(first));
    EXPECT_TRUE(std::filesystem::exists(second)) << "its own time runs on";
    EXPECT_EQ(status.Text(), "Removed 1 item \u2014 Undo (Ctrl+Z)");

    lifecycle.Exit();
    EXPECT_FALSE(std::filesystem::exists(second));
    EXPECT_FALSE(removals.Undo());
}

TEST_F(RemovalsTest, ClearCompletedIsUndoneTheSameWay) {
    for (const int position : {0, 2}) {
        queue.Modify(queue.At(position).key,
                     [](list::DownloadItem& item) { item.state = list::ItemState::kComplete; });
    }
    grid_commands.ClearCompleted();
    EXPECT_EQ(status.Text(), "Cleared 2 complete items \u2014 Undo (Ctrl+Z)");
    EXPECT_TRUE(removals.Undo());
    EXPECT_EQ(Addresses(), (std::vector<std::string>{Page("a"), Page("b"), Page("c"), Page("d")}));
    EXPECT_EQ(Status(2), "Complete");
}

TEST_F(RemovalsTest, AnItemListedAgainMeanwhileStaysOutAndItsFileGoes) {
    const std::string kept = CutOff(1);
    grid.SetRowSelected(1, true);
    grid_commands.RemoveSelected();
    list::AddVideoURL(queue, Page("b"));
    EXPECT_TRUE(removals.Undo());
    EXPECT_EQ(Addresses(), (std::vector<std::string>{Page("a"), Page("c"), Page("d"), Page("b")}));
    EXPECT_EQ(status.Text(), "Put back 0 items; 1 item could not go back");
    EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST_F(RemovalsTest, TheRunningItemPutBackWaitsAndGoesOnWithWhatItKept) {
    queue.RemoveMany({queue.At(1).key, queue.At(2).key, queue.At(3).key});
    fakes::FakeReply cut{200, "Content-Length: 5\r\n", "vid", fakes::FakeReply::Kind::kHoldBody};
    cut.with_length = false;
    http.Route("http://media.example/a.flv", cut);
    runs.ToggleRun();
    Settle();
    ASSERT_EQ(queue.At(0).state, list::ItemState::kDownloading);
    const std::string kept = test_support::KeptPath(queue.At(0));
    grid.SetRowSelected(0, true);
    grid_commands.RemoveSelected();
    Settle();
    EXPECT_FALSE(run.IsRunning());
    EXPECT_TRUE(removals.Undo());
    EXPECT_EQ(Status(0), "Waiting");
    EXPECT_EQ(test_support::KeptPath(queue.At(0)), kept);
    EXPECT_TRUE(std::filesystem::exists(kept));

    // The bytes written out as it left count too: the file was written in order.
    http.Route("http://media.example/a.flv", {206, "Content-Range: bytes 3-4/5\r\n", "eo"});
    runs.ToggleRun();
    Settle();
    EXPECT_EQ(Status(0), "Complete");
    EXPECT_EQ(http.Last().request.headers, std::vector<std::string>{"Range: bytes=3-"});
    EXPECT_EQ(test_support::ReadWholeFile(values.download_dir + "/a.flv"), "video");
}

} // namespace
} // namespace tarnwick::shell
