#include "shell/clipboard_monitor.h"

#include "fakes/fake_app_paths.h"
#include "fakes/fake_clipboard.h"
#include "fakes/fake_event_pump.h"
#include "fakes/fake_grid.h"
#include "fakes/fake_settings_store.h"
#include "fakes/fake_shell_launch.h"
#include "fakes/fake_timer.h"
#include "fakes/listing_harness.h"
#include "fakes/recording_skin.h"
#include "fakes/scripted_message_box.h"
#include "list/status_texts.h"
#include "settings/skin_variables.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace tarnwick::shell {
namespace {

using Launch = fakes::FakeShellLaunch::Launch;
using SkinWrite = fakes::RecordingSkin::Write;

const std::string kVideoPage = "http://www.youtube.com/watch?v=clip1";
const std::string kOtherVideoPage = "http://www.dailymotion.com/video/x2";
const std::string kUnsupportedPage = "http://example.com/watch?v=3";
const std::string kWatcher = "/opt/tarnwick/tarnwick-clip";

class ClipboardMonitorTest : public testing::Test, protected fakes::ListingHarness {
protected:
    std::vector<std::string> Statuses() const {
        std::vector<std::string> statuses;
        for (const list::ListedItem& item : list.Items()) statuses.push_back(item.Status);
        return statuses;
    }
    std::vector<std::string> Urls() const {
        std::vector<std::string> urls;
        for (const list::ListedItem& item : list.Items()) urls.push_back(item.Video_URL);
        return urls;
    }
    std::vector<SkinWrite> AddressWrites() const {
        std::vector<SkinWrite> writes;
        for (const SkinWrite& write : skin.writes) {
            if (write.path == settings::kSkinVideoUrl) writes.push_back(write);
        }
        return writes;
    }
    // One tick of the polling timer with `text` on the clipboard.
    void PollWith(const std::string& text) {
        clipboard.text = text;
        monitor.CallMonTimer();
    }

    fakes::RecordingSkin skin;
    fakes::FakeClipboard clipboard;
    fakes::FakeTimer tmrMonitor;
    fakes::FakeTimer tmrDownload;
    fakes::FakeAppPaths paths;
    fakes::FakeShellLaunch launch;
    ClipboardWatcher watcher{state, launch, paths, [] { return "/tmp/channel-9"; }};
    fakes::FakeSettingsStore store;
    settings::ApplicationSettings settings{state, store, skin, paths, watcher};
    int runs = 0;
    std::function<void()> during_run;
    ClipboardMonitor monitor{ClipboardMonitorServices{state, listing, skin, clipboard, tmrMonitor,
                                                      tmrDownload, watcher, settings, [this] {
                                                          ++runs;
                                                          if (during_run) during_run();
                                                      }}};
};

// Delivery by the watcher.

struct Delivered {
    const char* name;
    std::string address;
    std::string status;
};
void PrintTo(const Delivered& delivered, std::ostream* out) { *out << delivered.name; }

class DeliveryTest : public ClipboardMonitorTest, public testing::WithParamInterface<Delivered> {};

TEST_P(DeliveryTest, ListsShowsAndLeavesTheStartToTheTimer) {
    monitor.txtMonitor_Change(GetParam().address);
    EXPECT_EQ(Urls(), std::vector<std::string>{GetParam().address});
    EXPECT_EQ(Statuses(), std::vector<std::string>{GetParam().status});
    EXPECT_EQ(AddressWrites(),
              (std::vector<SkinWrite>{{settings::kSkinVideoUrl, GetParam().address}}));
    EXPECT_TRUE(tmrDownload.enabled);
    EXPECT_EQ(runs, 0) << "a delivery never starts a run itself";
}

INSTANTIATE_TEST_SUITE_P(
    SupportedOrNot, DeliveryTest,
    testing::Values(Delivered{"SupportedWaits", kVideoPage, status::kWaiting},
                    Delivered{"UnsupportedIsAnError", kUnsupportedPage, status::kLinkNotSupported}),
    [](const testing::TestParamInfo<Delivered>& info) { return info.param.name; });

TEST_F(ClipboardMonitorTest, DeliveryOfAListedAddressAddsNothingButStillShowsAndStarts) {
    listing.AddVideoURL(kVideoPage);
    monitor.txtMonitor_Change(kVideoPage);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(AddressWrites().size(), 1u);
    EXPECT_TRUE(tmrDownload.enabled);
}

TEST_F(ClipboardMonitorTest, DeliveryDuringARunOnlyLists) {
    state.Downloading = true;
    monitor.txtMonitor_Change(kVideoPage);
    EXPECT_EQ(Urls(), std::vector<std::string>{kVideoPage});
    EXPECT_FALSE(tmrDownload.enabled);
    EXPECT_EQ(runs, 0);
}

TEST_F(ClipboardMonitorTest, EmptyDeliveryDoesNothing) {
    monitor.txtMonitor_Change("");
    EXPECT_TRUE(list.IsListEmpty());
    EXPECT_TRUE(skin.writes.empty());
    EXPECT_FALSE(tmrDownload.enabled);
}

TEST_F(ClipboardMonitorTest, DeliveryGoesOnPastASkinThatRefuses) {
    skin.failing.insert(settings::kSkinVideoUrl);
    monitor.txtMonitor_Change(kVideoPage);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(tmrDownload.enabled);
}

// The poll.

TEST_F(ClipboardMonitorTest, PollAddsTheSameTextOnce) {
    PollWith(kVideoPage);
    PollWith(kVideoPage);
    EXPECT_EQ(Urls(), std::vector<std::string>{kVideoPage});
    EXPECT_EQ(AddressWrites(), (std::vector<SkinWrite>{{settings::kSkinVideoUrl, kVideoPage}}));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(monitor.LastClipboardText(), kVideoPage);
}

TEST_F(ClipboardMonitorTest, PollSeesTheFirstTextAsNewAfterAnotherOne) {
    PollWith(kVideoPage);
    PollWith("some words");
    EXPECT_EQ(monitor.LastClipboardText(), "some words");
    PollWith(kVideoPage);
    EXPECT_EQ(list.Count(), 1) << "the list refuses the address it holds";
    EXPECT_EQ(AddressWrites().size(), 2u);
    EXPECT_EQ(runs, 2);
}

TEST_F(ClipboardMonitorTest, PollIgnoresUnsupportedTextButRemembersIt) {
    PollWith(kUnsupportedPage);
    EXPECT_TRUE(list.IsListEmpty());
    EXPECT_TRUE(skin.writes.empty());
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(monitor.LastClipboardText(), kUnsupportedPage);
}

TEST_F(ClipboardMonitorTest, PollDuringARunOnlyLists) {
    state.Downloading = true;
    PollWith(kVideoPage);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(runs, 0);
}

TEST_F(ClipboardMonitorTest, ClipboardThatFailsReadsAsEmpty) {
    PollWith(kVideoPage);
    clipboard.failing = true;
    monitor.CallMonTimer();
    EXPECT_EQ(monitor.LastClipboardText(), "");
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(ClipboardMonitorTest, TicksInsideTheRunThatAPollStartedSeeItsTextAsOld) {
    during_run = [this] {
        state.Downloading = true;
        tmrMonitor.enabled = true;
        tmrMonitor.Elapse();
        clipboard.text = kOtherVideoPage;
        tmrMonitor.Elapse();
        state.Downloading = false;
    };
    PollWith(kVideoPage);
    EXPECT_EQ(Urls(), (std::vector<std::string>{kVideoPage, kOtherVideoPage}));
    EXPECT_EQ(AddressWrites(),
              (std::vector<SkinWrite>{{settings::kSkinVideoUrl, kVideoPage},
                                      {settings::kSkinVideoUrl, kOtherVideoPage}}));
    EXPECT_EQ(runs, 1);
}

TEST_F(ClipboardMonitorTest, CheckBoxSwitchesThePollingAndForgetsTheLastText) {
    EXPECT_EQ(tmrMonitor.interval, 2000);
    clipboard.text = kVideoPage;
    monitor.chkMonitor_Click();
    EXPECT_TRUE(tmrMonitor.enabled);
    EXPECT_TRUE(state.MonitorEnabled);
    EXPECT_TRUE(list.IsListEmpty()) << "nothing before the next tick";
    tmrMonitor.Elapse();
    EXPECT_EQ(list.Count(), 1);

    monitor.chkMonitor_Click();
    EXPECT_FALSE(tmrMonitor.enabled);
    EXPECT_FALSE(state.MonitorEnabled);
    EXPECT_EQ(monitor.LastClipboardText(), "");
    monitor.chkMonitor_Click();
    tmrMonitor.Elapse();
    EXPECT_EQ(AddressWrites().size(), 2u) << "the same text is new after a click";
    EXPECT_TRUE(launch.launches.empty()) << "the check box never touches the watcher";
}

// The switches and the watcher.

TEST_F(ClipboardMonitorTest, TraySwitchesAndPublishesWithoutSaving) {
    store.Put(platform::kCurrentUserRoot, settings::kSettingsKey, settings::kMonitorSetting,
              "True");
    settings.LoadSettings();
    skin.writes.clear();

    monitor.SwitchMonitorAndPublish(false);
    EXPECT_FALSE(state.MonitorEnabled);
    EXPECT_EQ(launch.launches.back(), (Launch{kWatcher, {"Exit"}}));
    ASSERT_FALSE(skin.writes.empty());
    EXPECT_EQ(skin.writes.front(), (SkinWrite{settings::kSkinMonitorCheck, "0"}));
    EXPECT_TRUE(store.writes.empty());

    // The next start reads what was stored, not what the tray switched.
    MainState restarted;
    ClipboardWatcher next_watcher{restarted, launch, paths, [] { return "/tmp/channel-10"; }};
    settings::ApplicationSettings next{restarted, store, skin, paths, next_watcher};
    next.LoadSettings();
    EXPECT_TRUE(restarted.MonitorEnabled);
}

TEST_F(ClipboardMonitorTest, SwitchingDrivesTheWatcherAndLeavesThePollingAlone) {
    monitor.SwitchMonitor(true);
    EXPECT_TRUE(state.MonitorEnabled);
    EXPECT_FALSE(tmrMonitor.enabled);
    monitor.SwitchMonitor(false);
    EXPECT_FALSE(state.MonitorEnabled);
    EXPECT_EQ(launch.launches,
              (std::vector<Launch>{{kWatcher, {"/tmp/channel-9"}}, {kWatcher, {"Exit"}}}));
}

TEST_F(ClipboardMonitorTest, PollingStandsInForAWatcherThatCannotStart) {
    launch.programs_exist = false;
    monitor.SwitchMonitor(true);
    EXPECT_TRUE(state.MonitorEnabled);
    EXPECT_TRUE(monitor.PollingStandsIn());
    clipboard.text = kVideoPage;
    tmrMonitor.Elapse();
    EXPECT_EQ(list.Count(), 1) << "copying still works";

    monitor.SwitchMonitor(false);
    EXPECT_FALSE(state.MonitorEnabled);
    EXPECT_FALSE(tmrMonitor.enabled);
    EXPECT_FALSE(monitor.PollingStandsIn());
}

TEST_F(ClipboardMonitorTest, StandInEndsOnceTheWatcherStarts) {
    launch.programs_exist = false;
    monitor.SwitchMonitor(true);
    launch.programs_exist = true;
    monitor.SwitchMonitor(true);
    EXPECT_FALSE(tmrMonitor.enabled);
    EXPECT_FALSE(monitor.PollingStandsIn());
    EXPECT_TRUE(state.MonitorEnabled);
}

TEST_F(ClipboardMonitorTest, StandInNeverStopsTheCheckBoxPolling) {
    monitor.chkMonitor_Click();
    launch.programs_exist = false;
    monitor.SwitchMonitor(true);
    EXPECT_FALSE(monitor.PollingStandsIn());
    monitor.SwitchMonitor(false);
    EXPECT_TRUE(tmrMonitor.enabled);
}

TEST_F(ClipboardMonitorTest, CheckBoxTakesTheTimerOverFromTheStandIn) {
    launch.programs_exist = false;
    monitor.SwitchMonitor(true);
    monitor.chkMonitor_Click();
    EXPECT_FALSE(tmrMonitor.enabled);
    EXPECT_FALSE(state.MonitorEnabled);
    EXPECT_FALSE(monitor.PollingStandsIn());
    monitor.chkMonitor_Click();
    monitor.SwitchMonitor(false);
    EXPECT_TRUE(tmrMonitor.enabled) << "the check box's polling goes on";
}

} // namespace
} // namespace tarnwick::shell
