#include "resolve/site_index.h"
#include "shell/shell_harness.h"

namespace tarnwick::shell {
namespace {

using Launch = fakes::FakeShellLaunch::Launch;

const std::string kVideoPage = "http://www.youtube.com/watch?v=clip1";
const std::string kOtherVideoPage = "http://www.dailymotion.com/video/x2";
const std::string kUnsupportedPage = "http://example.com/watch?v=3";
const std::string kVideoLink = "http://cdn.example.com/films/4.mp4";

class ClipboardMonitorTest : public ShellHarness {
protected:
    // One poll with `text` on the clipboard.
    void PollWith(const std::string& text) {
        clipboard.text = text;
        monitor.Poll();
    }
    int RunsStarted() const { return static_cast<int>(WritesOf(kSkinDownloadButton).size()); }
};

// Delivery by the watcher.

TEST_F(ClipboardMonitorTest, ADeliveryIsListedShownAndStartsARunLater) {
    values.other_sites = false; // no general page reader: as the watcher's first version had it
    monitor.OnDelivery(kUnsupportedPage);
    monitor.OnDelivery(kVideoPage);
    EXPECT_EQ(Addresses(), (std::vector<std::string>{kUnsupportedPage, kVideoPage}));
    EXPECT_EQ(Status(0), "Link is not supported");
    EXPECT_EQ(Status(1), "Waiting");
    EXPECT_EQ(WritesOf(kSkinVideoUrl), (std::vector<SkinWrite>{{kSkinVideoUrl, kUnsupportedPage},
                                                               {kSkinVideoUrl, kVideoPage}}));
    EXPECT_FALSE(runs.IsRunning()) << "a delivery never starts a run itself";
    clock.Advance(kStartDelay);
    EXPECT_TRUE(runs.IsRunning());
}

TEST_F(ClipboardMonitorTest, DeliveryOfAListedAddressAddsNothingButStillShowsAndSaysSo) {
    list::AddVideoURL(queue, kVideoPage);
    monitor.OnDelivery(" " + kVideoPage + "\n");
    monitor.OnDelivery(" ");
    EXPECT_EQ(queue.Count(), 1);
    EXPECT_EQ(WritesOf(kSkinVideoUrl), (std::vector<SkinWrite>{{kSkinVideoUrl, kVideoPage}}));
    EXPECT_EQ(status.Text(), "This address is already in the list, as item 1");
}

TEST_F(ClipboardMonitorTest, DeliveryDuringARunOnlyLists) {
    AddVideo("a", fakes::FakeReply::Of(fakes::FakeReply::Kind::kSilent));
    runs.ToggleRun();
    monitor.OnDelivery(kVideoPage);
    EXPECT_EQ(queue.Count(), 2);
    clock.Advance(kStartDelay);
    EXPECT_TRUE(box.shown.empty()) << "no second start";
}

TEST_F(ClipboardMonitorTest, ADeliveryAfterAStopLeavesTheStoppedItemStoppedAndStartTakesItAgain) {
    AddVideo("stopped", fakes::FakeReply::Of(fakes::FakeReply::Kind::kSilent));
    runs.ToggleRun();
    Settle();
    box.answers = {platform::MessageAnswer::Yes};
    runs.ToggleRun();
    ASSERT_EQ(Status(0), "Cancelled");
    AddVideo("copied");
    monitor.OnDelivery(queue.At(1).page_address);
    clock.Advance(kStartDelay);
    Settle();
    EXPECT_EQ(Status(1), "Complete");
    EXPECT_EQ(Status(0), "Cancelled") << "what the user stopped stays stopped";
    runs.ToggleRun();
    Settle();
    EXPECT_NE(Status(0), "Cancelled") << "the Start button takes it again";
}

// The poll.

TEST_F(ClipboardMonitorTest, PollAddsTheSameTextOnceAndStartsARunAtOnce) {
    PollWith(kVideoPage);
    EXPECT_TRUE(runs.IsRunning());
    PollWith(kVideoPage);
    EXPECT_EQ(Addresses(), std::vector<std::string>{kVideoPage});
    EXPECT_EQ(WritesOf(kSkinVideoUrl), (std::vector<SkinWrite>{{kSkinVideoUrl, kVideoPage}}));
    EXPECT_EQ(RunsStarted(), 1);
    EXPECT_EQ(monitor.LastClipboardText(), kVideoPage);
}

TEST_F(ClipboardMonitorTest, PollSeesTheFirstTextAsNewAfterAnotherOne) {
    PollWith(kVideoPage);
    run.Stop();
    PollWith("some words");
    EXPECT_EQ(monitor.LastClipboardText(), "some words");
    PollWith(kVideoPage);
    EXPECT_EQ(queue.Count(), 1) << "the list refuses the address it holds";
    EXPECT_EQ(WritesOf(kSkinVideoUrl).size(), 2u);
    EXPECT_EQ(RunsStarted(), 1) << "the item the user stopped stays stopped";
}

TEST_F(ClipboardMonitorTest, PollIgnoresUnsupportedTextButRemembersIt) {
    PollWith(kUnsupportedPage);
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_TRUE(skin.writes.empty());
    EXPECT_EQ(monitor.LastClipboardText(), kUnsupportedPage);
}

// What the poll takes is what the watcher passes on, direct links included.
TEST_F(ClipboardMonitorTest, PollTakesADirectLinkToAVideoButNoTextThatMentionsOne) {
    PollWith("Watch this: " + kVideoLink + " it is great");
    EXPECT_TRUE(queue.IsEmpty());
    PollWith(kVideoLink);
    EXPECT_EQ(Addresses(), std::vector<std::string>{kVideoLink});
    EXPECT_EQ(queue.At(0).site, resolve::kSiteGeneral);
}

TEST_F(ClipboardMonitorTest, PollListsAPastedAddressCleaned) {
    PollWith("\twww.youtube.com/watch?v=clip1 \r\n");
    EXPECT_EQ(Addresses(), std::vector<std::string>{kVideoPage});
    EXPECT_EQ(WritesOf(kSkinVideoUrl), (std::vector<SkinWrite>{{kSkinVideoUrl, kVideoPage}}));
}

TEST_F(ClipboardMonitorTest, PollListsEachAddressOfACopyOfSeveralLines) {
    PollWith(kVideoPage + "\n" + kUnsupportedPage + "\r\nsee " + kVideoLink + "\n" +
             kOtherVideoPage + "\n");
    EXPECT_EQ(Addresses(), (std::vector<std::string>{kVideoPage, kOtherVideoPage}));
    EXPECT_EQ(skin.GetVariable(kSkinVideoUrl), kOtherVideoPage);
    EXPECT_TRUE(runs.IsRunning());
}

// The switches and the watcher.

TEST_F(ClipboardMonitorTest, SwitchingDrivesTheWatcherAndLeavesThePollingAlone) {
    monitor.SwitchMonitor(true);
    EXPECT_TRUE(values.monitor_enabled);
    EXPECT_FALSE(monitor.PollingStandsIn());
    monitor.SwitchMonitor(false);
    EXPECT_FALSE(values.monitor_enabled);
    EXPECT_EQ(launch.launches, (std::vector<Launch>{{kWatcher, {kChannel}}, {kWatcher, {"Exit"}}}));
}

TEST_F(ClipboardMonitorTest, PollingStandsInForAWatcherThatCannotStart) {
    clipboard.text = kOtherVideoPage; // copied before the program started
    launch.programs_exist = false;
    monitor.SwitchMonitor(true);
    EXPECT_TRUE(values.monitor_enabled);
    EXPECT_TRUE(monitor.PollingStandsIn());
    clock.Advance(ClipboardMonitor::kPollInterval);
    EXPECT_TRUE(queue.IsEmpty()) << "what was on the clipboard already is not downloaded";
    clipboard.text = kVideoPage;
    clock.Advance(ClipboardMonitor::kPollInterval);
    EXPECT_EQ(Addresses(), std::vector<std::string>{kVideoPage}) << "copying still works";
    ASSERT_TRUE(runs.IsRunning());
    clipboard.text = kOtherVideoPage;
    clock.Advance(ClipboardMonitor::kPollInterval);
    EXPECT_EQ(queue.Count(), 2) << "the run its poll started does not stop the polling";
    EXPECT_EQ(RunsStarted(), 1);

    monitor.SwitchMonitor(false);
    EXPECT_FALSE(values.monitor_enabled);
    EXPECT_FALSE(monitor.PollingStandsIn());

    monitor.SwitchMonitor(true);
    launch.programs_exist = true;
    monitor.SwitchMonitor(true);
    EXPECT_FALSE(monitor.PollingStandsIn()) << "the stand-in ends once the watcher starts";
}

TEST_F(ClipboardMonitorTest, NoStandInWhenTheWatcherIsTriedAlone) {
    monitor.AllowPollingStandIn(false);
    launch.programs_exist = false;
    monitor.SwitchMonitor(true);
    EXPECT_TRUE(values.monitor_enabled);
    EXPECT_FALSE(monitor.PollingStandsIn());
}

TEST_F(ClipboardMonitorTest, TheTraySwitchIsPublishedButNotSaved) {
    store.values["URL Mon"] = "True";
    settings.LoadSettings();
    skin.writes.clear();
    monitor.SwitchMonitor(false);
    settings.PublishSettings();
    EXPECT_EQ(skin.writes.front(), (SkinWrite{kSkinMonitorCheck, "0"}));
    EXPECT_TRUE(store.writes.empty());
}

} // namespace
} // namespace tarnwick::shell
