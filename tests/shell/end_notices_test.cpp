#include "shell/end_notices.h"

#include "fakes/fake_notifier.h"
#include "shell/shell_harness.h"

namespace tarnwick::shell {
namespace {

class EndNoticesTest : public ShellHarness {
protected:
    void RunAll() {
        runs.ToggleRun();
        Settle();
    }

    fakes::FakeNotifier notifier;
    EndNotices notices{{queue, notifier, launch, values, status}};
};

TEST_F(EndNoticesTest, EachItemThatEndsWhileTheWindowIsNotActiveIsNotified) {
    AddVideo("ok");
    AddVideo("bad", fakes::FakeReply::Status(404));
    AddVideo("cut", fakes::FakeReply::Of(fakes::FakeReply::Kind::kHoldBody));
    RunAll();
    run.Stop(); // the third ends cancelled: nobody waits for that
    ASSERT_EQ(notifier.shown.size(), 2u);
    EXPECT_EQ(notifier.shown[0].title, "Download complete");
    EXPECT_EQ(notifier.shown[0].text, "ok.flv");
    EXPECT_TRUE(notifier.shown[0].open_tag);
    EXPECT_EQ(notifier.shown[1].title, "Download failed");
    EXPECT_EQ(notifier.shown[1].text, "bad.flv\nThe video file was not found (404)");
    EXPECT_FALSE(notifier.shown[1].open_tag) << "nothing to open";
}

TEST_F(EndNoticesTest, NothingIsNotifiedWhileTheWindowIsActiveOrTheSettingIsOff) {
    AddVideo("seen");
    notifier.window_active = true;
    RunAll();
    AddVideo("off");
    notifier.window_active = false;
    values.notify = false;
    RunAll();
    EXPECT_EQ(Status(1), "Complete");
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(EndNoticesTest, OpenOpensTheFinishedFileOrSaysWhyNot) {
    AddVideo("ok");
    RunAll();
    ASSERT_EQ(notifier.shown.size(), 1u);
    ASSERT_NE(notifier.listener, nullptr);
    const uint64_t tag = *notifier.shown[0].open_tag;
    notifier.listener->OnOpenChosen(tag);
    EXPECT_EQ(launch.opened, std::vector<std::string>{values.download_dir + "/ok.flv"});
    launch.handler_exists = false;
    notifier.listener->OnOpenChosen(tag);
    EXPECT_EQ(status.Text(), "No program could open " + values.download_dir + "/ok.flv");
    notifier.listener->OnOpenChosen(tag + 1);
    EXPECT_EQ(launch.opened.size(), 2u) << "an unknown tag opens nothing";
}

} // namespace
} // namespace tarnwick::shell
