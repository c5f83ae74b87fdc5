#include "driver/app_lifecycle.h"

#include "curl/curl_http_client.h"
#include "fakes/fake_app_paths.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_event_pump.h"
#include "fakes/fake_grid.h"
#include "fakes/fake_timer.h"
#include "fakes/listing_harness.h"
#include "fakes/recording_skin.h"
#include "fakes/scripted_message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::driver {
namespace {

using Log = std::vector<std::string>;

class AppLifecycleTest : public testing::Test, protected fakes::ListingHarness {
protected:
    AppLifecycleTest() {
        skin.on_write = [this](const fakes::RecordingSkin::Write& write) {
            log.push_back("set " + write.path);
        };
    }

    Log log;
    fakes::FakeMainWindow window{log};
    fakes::FakeTray tray{log};
    fakes::FakeInputHooks input_hooks{log};
    shell::WindowHooks hooks{input_hooks, grid};
    fakes::RecordingSkin skin;
    fakes::FakeAppPaths paths;
    fakes::FakeTimer tmrend;
    platform::curl::CurlHttpClient client{pump};
    transfer::Download download{client, pump};
    AppLifecycle lifecycle{{state, window, tray, skin, box, paths, tmrend, presentation, listing,
                            hooks, download, [this] { log.push_back("LoadSettings"); },
                            [this](bool on) { log.push_back(on ? "Monitor on" : "Monitor off"); }}};
};

TEST_F(AppLifecycleTest, StartUpRunsInItsOrder) {
    ASSERT_TRUE(lifecycle.Form_Load());
    EXPECT_EQ(log, (Log{"site Auto", "tray icon /opt/tarnwick/tray.png", "tray in",
                        "caption Tarnwick", "icon /opt/tarnwick/tarnwick.png", "skin 0,0 648x585",
                        "size 0,0 648x585", "load /opt/tarnwick/Main.qml", "grid 36,259 572x179",
                        "set _root.aboutTxt", "LoadSettings", "hook skin", "hook wheel"}));
    EXPECT_EQ(skin.variables["_root.aboutTxt"],
              "Version 1.0.0.1\r\nTarnwick is an easy to use program to download video files "
              "from Google,Youtube,iFilm and other 9 video sharing sites to your PC.");
    EXPECT_EQ(grid.columns.size(), 5u);
    EXPECT_FALSE(state.GridFormatted);
}

TEST_F(AppLifecycleTest, ASkinThatDoesNotLoadIsReportedAndEndsTheStart) {
    window.skin_loads = false;
    EXPECT_FALSE(lifecycle.Form_Load());
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_NE(box.shown[0].text.find("/opt/tarnwick/Main.qml"), std::string::npos);
    EXPECT_EQ(box.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(std::count(log.begin(), log.end(), "LoadSettings"), 0);
}

TEST_F(AppLifecycleTest, ExitWithoutARunAsksNothing) {
    lifecycle.EndMe();
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(log, (Log{"unhook skin", "unhook wheel", "Monitor off", "tray out", "quit"}));
}

TEST_F(AppLifecycleTest, ExitDuringARunAsksAndNoKeepsEverythingGoing) {
    state.Downloading = true;
    lifecycle.EndMe();
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Download is in Progress, Are you sure that you want to exit?");
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(state.StopRequested);

    box.answers = {platform::MessageAnswer::Yes};
    lifecycle.EndMe();
    EXPECT_TRUE(state.StopRequested);
    EXPECT_TRUE(download.CancelRequested()) << "the transfer under way ends cleanly";
    EXPECT_EQ(log.back(), "quit");
}

TEST_F(AppLifecycleTest, TheTrayExitGoesThroughTheTimer) {
    tmrend.SetEnabled(true);
    tmrend.tick = [this] { lifecycle.tmrend_Timer(); };
    tmrend.Elapse();
    EXPECT_FALSE(tmrend.enabled);
    EXPECT_EQ(log.back(), "quit");
}

} // namespace
} // namespace tarnwick::driver
