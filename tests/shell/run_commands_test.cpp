#include "shell/shell_harness.h"

namespace tarnwick::shell {
namespace {

using platform::MessageAnswer;

class RunCommandsTest : public ShellHarness {
protected:
    std::vector<SkinWrite> RunVariables() const {
        std::vector<SkinWrite> writes;
        for (const SkinWrite& write : skin.writes) {
            if (write.path == kSkinStartDownload || write.path == kSkinDownloadButton ||
                write.path == kSkinDownloadTab || write.path == kSkinDownloadButtonTab) {
                writes.push_back(write);
            }
        }
        return writes;
    }
};

TEST_F(RunCommandsTest, AnEmptyListIsRefusedFirst) {
    runs.RequestStart();
    clock.Advance(std::chrono::milliseconds(199));
    EXPECT_TRUE(box.shown.empty());
    clock.Advance(std::chrono::milliseconds(1));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Please add video URL's first.");
    EXPECT_EQ(box.shown[0].title, "Empty List");
    EXPECT_EQ(box.shown[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(RunVariables(), (std::vector<SkinWrite>{{kSkinStartDownload, "1"}}));
    EXPECT_FALSE(runs.IsRunning());
}

TEST_F(RunCommandsTest, AStartAskedForEarlierNeverAsksToStopARunStartedMeanwhile) {
    AddVideo("a", fakes::FakeReply::Of(fakes::FakeReply::Kind::kSilent));
    runs.RequestStart();
    runs.ToggleRun(); // the user starts at once
    clock.Advance(kStartDelay);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_TRUE(runs.IsRunning());
}

TEST_F(RunCommandsTest, NoConnectionIsRefusedWithoutAnyChange) {
    AddVideo("a");
    connectivity.connected = false;
    runs.ToggleRun();
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text,
              "You are not connected to the internet, Please connect first then try again");
    EXPECT_EQ(box.shown[0].title, "Tarnwick");
    EXPECT_TRUE(RunVariables().empty());
    EXPECT_EQ(runs.TrayEntryCaption(), "Start Downloading");
}

TEST_F(RunCommandsTest, ARunShowsItsStateFromStartToEnd) {
    AddVideo("a");
    pages.current = SkinPage::kAbout;
    runs.ToggleRun();
    EXPECT_EQ(runs.TrayEntryCaption(), "Stop Downloading");
    EXPECT_EQ(RunVariables(), (std::vector<SkinWrite>{{kSkinDownloadButton, "0"},
                                                      {kSkinStartDownload, "0"},
                                                      {kSkinDownloadTab, "0"},
                                                      {kSkinDownloadButtonTab, "1"}}));
    skin.writes.clear();
    Settle();
    EXPECT_EQ(Status(0), "Complete");
    EXPECT_EQ(runs.TrayEntryCaption(), "Start Downloading");
    EXPECT_EQ(RunVariables(),
              (std::vector<SkinWrite>{
                  {kSkinStartDownload, "1"}, {kSkinDownloadButton, "1"}, {kSkinDownloadTab, "1"}}));
    EXPECT_TRUE(box.shown.empty()) << "the end of a run shows no message";
}

TEST_F(RunCommandsTest, StopAskedNoGoesOnAndYesCancelsTheItem) {
    AddVideo("a", fakes::FakeReply::Of(fakes::FakeReply::Kind::kSilent));
    AddVideo("b");
    runs.ToggleRun();
    Settle();
    box.answers = {MessageAnswer::No};
    commands.Run("IDC_FS_stopDownload");
    EXPECT_EQ(box.shown.back().text, "Are you sure that you want to cancel downloading?");
    EXPECT_EQ(box.shown.back().icon, platform::MessageIcon::Question);
    EXPECT_TRUE(runs.IsRunning());
    EXPECT_EQ(runs.TrayEntryCaption(), "Stop Downloading");

    skin.writes.clear();
    box.answers = {MessageAnswer::Yes};
    runs.ToggleRun();
    EXPECT_FALSE(runs.IsRunning());
    EXPECT_EQ(Status(0), "Cancelled");
    EXPECT_EQ(Status(1), "Waiting");
    EXPECT_EQ(runs.TrayEntryCaption(), "Start Downloading");
    EXPECT_EQ(RunVariables(),
              (std::vector<SkinWrite>{
                  {kSkinDownloadButton, "1"}, {kSkinStartDownload, "1"}, {kSkinDownloadTab, "1"}}));
}

TEST_F(RunCommandsTest, TheStopQuestionKeepsANewItemFromStartingAndAppliesWhenAnswered) {
    AddVideo("a", fakes::FakeReply::Of(fakes::FakeReply::Kind::kHoldBody));
    AddVideo("b");
    runs.ToggleRun();
    Settle();
    box.while_open = [this] {
        // The first item completes while the user reads the question.
        http.Last().End();
        Settle();
        EXPECT_EQ(Status(0), "Complete");
        EXPECT_EQ(Status(1), "Waiting");
    };
    box.answers = {MessageAnswer::Yes};
    runs.ToggleRun();
    EXPECT_EQ(Status(0), "Complete") << "the answer applies to the item running when given";
    EXPECT_EQ(Status(1), "Waiting");
    EXPECT_FALSE(runs.IsRunning());

    box.while_open = nullptr;
    box.answers = {MessageAnswer::No};
    runs.ToggleRun(); // starts
    runs.ToggleRun(); // asks; No
    Settle();
    EXPECT_EQ(Status(1), "Complete") << "a No lets the run go on";
}

} // namespace
} // namespace tarnwick::shell
