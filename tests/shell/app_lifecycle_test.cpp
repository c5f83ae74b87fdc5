#include "settings/setting_names.h"
#include "shell/shell_harness.h"
#include "support/kept_files.h"

#include <gmock/gmock.h>
#include <filesystem>

namespace tarnwick::shell {
namespace {

using platform::MessageAnswer;

using AppLifecycleTest = ShellHarness;

TEST_F(AppLifecycleTest, StartUpRunsInItsOrder) {
    ASSERT_TRUE(lifecycle.StartUp());
    EXPECT_EQ(log, (Log{"tray icon /opt/tarnwick/tray.png", "tray in", "caption Tarnwick",
                        "icon /opt/tarnwick/tarnwick.png", "skin 0,0 648x585", "size 0,0 648x585",
                        "load /opt/tarnwick/Main.qml", "grid 36,259 572x179", "hook skin",
                        "hook wheel"}));
    ASSERT_EQ(skin.writes.size(), 20u);
    EXPECT_EQ(skin.writes[0].path, kSkinAboutText);
    EXPECT_EQ(skin.writes[0].value.substr(0, 17), "Version 1.0.0.1\r\n");
    EXPECT_EQ(skin.writes[1], (SkinWrite{kSkinMonitorCheck, "1"}));
    EXPECT_EQ(skin.writes[2], (SkinWrite{kSkinDownloadCheck, "1"}));
    EXPECT_EQ(skin.writes[3], (SkinWrite{kSkinConvertCheck, "1"}));
    EXPECT_EQ(skin.writes[4], (SkinWrite{kSkinDownloadDir, "/home/ann/Downloaded Videos"}));
    EXPECT_EQ(skin.writes[5], (SkinWrite{kSkinKeepListCheck, "1"}));
    EXPECT_EQ(skin.writes[6], (SkinWrite{kSkinOtherSitesCheck, "1"}));
    EXPECT_EQ(skin.writes[7], (SkinWrite{kSkinYtDlpCheck, "1"}));
    EXPECT_EQ(skin.writes[8], (SkinWrite{kSkinDownloadAgainCheck, "0"}));
    EXPECT_EQ(skin.writes[9], (SkinWrite{kSkinConnections, "4"}));
    EXPECT_EQ(skin.writes[10], (SkinWrite{kSkinDownloadsAtOnce, "1"}));
    EXPECT_EQ(skin.writes[11], (SkinWrite{kSkinSpeedLimit, "0"}));
    EXPECT_EQ(skin.writes[12], (SkinWrite{kSkinCookiesFrom, ""}));
    EXPECT_EQ(skin.writes[13], (SkinWrite{kSkinCookieFile, ""}));
    EXPECT_EQ(skin.writes[14], (SkinWrite{kSkinQuality, "best"}));
    EXPECT_EQ(skin.writes[15], (SkinWrite{kSkinFormat, "mp4"}));
    EXPECT_EQ(skin.writes[16], (SkinWrite{kSkinSoundOnly, "off"}));
    EXPECT_EQ(skin.writes[17], (SkinWrite{kSkinSubtitles, ""}));
    ASSERT_EQ(transfer_settings_told.size(), 1u) << "the transfers learn the loaded settings";
    EXPECT_EQ(transfer_settings_told[0].connections, 4);
    EXPECT_EQ(launch.launches,
              (std::vector<fakes::FakeShellLaunch::Launch>{{kWatcher, {kChannel}}}));
    EXPECT_EQ(grid.caption, "");
    EXPECT_EQ(grid.columns[0], (fakes::FakeGrid::ColumnSetup{" ", {{"32767"}}, false}));
    EXPECT_EQ(grid.columns[1], (fakes::FakeGrid::ColumnSetup{"Video URL", {{}, true}, false}));
    EXPECT_EQ(grid.columns[2].caption, "Local File Name");
    EXPECT_TRUE(grid.columns[2].editable);
    EXPECT_EQ(grid.columns[3].width.fits[0], "Link is not supported");
    EXPECT_EQ(grid.columns[4], (fakes::FakeGrid::ColumnSetup{"File Size", {{"1023.9 MB"}}, false}));
    EXPECT_EQ(grid.appearance.second, (platform::Rgb{39, 104, 146}));
    ASSERT_EQ(grid.groups.size(), 5u);
    EXPECT_EQ(grid.groups[3].second,
              (fakes::FakeGrid::Group{{57, 69, 73}, platform::Rgb{255, 255, 255}}));
    EXPECT_EQ(AppLifecycle::AboutText().substr(17),
              "Tarnwick is an easy to use program to download video files from "
              "Google,Youtube,iFilm and other 9 video sharing sites to your PC.");
}

TEST_F(AppLifecycleTest, ASkinThatCannotLoadIsReportedAndEndsTheStart) {
    window.skin_loads = false;
    EXPECT_FALSE(lifecycle.StartUp());
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text,
              "The skin /opt/tarnwick/Main.qml could not be loaded:\r\nno such file");
    EXPECT_EQ(box.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_TRUE(launch.launches.empty());
}

TEST_F(AppLifecycleTest, AStoredFolderThatIsNoFullPathIsReplacedAndToldOnce) {
    store.values[settings::kDownloadDirSetting] = "Videos";
    ASSERT_TRUE(lifecycle.StartUp());
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text,
              "The download folder \"Videos\" is not a full path. Videos are "
              "saved to \"/home/ann/Downloaded Videos\" instead.");
    EXPECT_EQ(store.values[settings::kDownloadDirSetting], "/home/ann/Downloaded Videos");

    ASSERT_TRUE(lifecycle.StartUp());
    EXPECT_EQ(box.shown.size(), 1u);
}

TEST_F(AppLifecycleTest, StartUpRemovesOnlyOurTemporaryFilesNoItemOwns) {
    const std::string videos = folder.File("videos");
    std::filesystem::create_directory(videos);
    store.values[settings::kDownloadDirSetting] = videos;
    test_support::WriteWholeFile(videos + "/clip.flv.3.tarnwick.part", "left over");
    test_support::WriteWholeFile(videos + "/clip.flv.part", "someone else's");
    test_support::WriteWholeFile(videos + "/clip.flv", "a video");

    ASSERT_TRUE(lifecycle.StartUp());
    EXPECT_FALSE(std::filesystem::exists(videos + "/clip.flv.3.tarnwick.part"));
    EXPECT_TRUE(std::filesystem::exists(videos + "/clip.flv.part"));
    EXPECT_TRUE(std::filesystem::exists(videos + "/clip.flv"));
}

// A list kept with one item whose stopped transfer left a temporary file.
class KeptListTest : public ShellHarness {
protected:
    KeptListTest() {
        std::filesystem::create_directory(videos);
        store.values[settings::kDownloadDirSetting] = videos;
        test_support::WriteWholeFile(part, "half a video");
        list::DownloadItem item;
        item.page_address = "http://www.youtube.com/watch?v=kept";
        item.site = 2;
        item.state = list::ItemState::kCancelled;
        item.name_kind = list::NameKind::kNamed;
        item.name = "kept.flv";
        item.rare->kept = transfer::KeptWhole{part, 12};
        list_store.items.push_back(list::ToStored(item, 1));
        list_store.last_id = 1;
    }

    const std::string videos = folder.File("videos");
    const std::string part = videos + "/kept.flv.1.tarnwick.part";
};

TEST_F(KeptListTest, TheListComesBackAndItsFilesOutliveTheExit) {
    ASSERT_TRUE(lifecycle.StartUp());
    ASSERT_EQ(queue.Count(), 1);
    EXPECT_EQ(Status(0), "Cancelled");
    EXPECT_TRUE(std::filesystem::exists(part)) << "a file its item records is no stray";
    EXPECT_TRUE(box.shown.empty());
    lifecycle.Exit();
    EXPECT_TRUE(std::filesystem::exists(part));
    EXPECT_EQ(list_store.items.size(), 1u);
}

TEST_F(KeptListTest, AListNotKeptStartsEmptyAndEmptiesTheStore) {
    store.values[settings::kKeepListSetting] = "False";
    ASSERT_TRUE(lifecycle.StartUp());
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_TRUE(list_store.items.empty());
    EXPECT_FALSE(std::filesystem::exists(part)) << "no listed item owns it now";
    EXPECT_EQ(skin.variables[kSkinKeepListCheck], "0");
}

TEST_F(KeptListTest, SwitchingTheKeepingFromTheSkinSavesItAndEmptiesOrFillsTheStore) {
    ASSERT_TRUE(lifecycle.StartUp());
    commands.Run("ID_FS_keepListUncheck");
    EXPECT_EQ(store.values[settings::kKeepListSetting], "False");
    EXPECT_TRUE(list_store.items.empty());
    lifecycle.Exit();
    EXPECT_FALSE(std::filesystem::exists(part)) << "nothing kept: nothing left at exit";
    commands.Run("ID_FS_keepListCheck");
    EXPECT_EQ(store.values[settings::kKeepListSetting], "True");
    EXPECT_EQ(list_store.items.size(), 1u);
}

TEST_F(KeptListTest, ADamagedListIsToldOnceAndAnUnusableOneWhenItShouldBeKept) {
    list_store.items.clear();
    list_store.opening.moved_aside_to = "/data/downloads.db.damaged-1";
    ASSERT_TRUE(lifecycle.StartUp());
    EXPECT_TRUE(std::filesystem::exists(part)) << "the list moved aside may own it";
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text,
              "The download list could not be read, so Tarnwick starts with an empty list. The "
              "damaged file was kept as \"/data/downloads.db.damaged-1\".");
    list_store.opening = {{}, "The list cannot be kept in /data: Permission denied"};
    ASSERT_TRUE(lifecycle.StartUp());
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(box.shown[1].text,
              "The list cannot be kept in /data: Permission denied.\r\nTarnwick works as usual, "
              "but forgets the list when it closes.");
}

TEST_F(KeptListTest, AListNotReadWholeLeavesEveryTemporaryFile) {
    const std::string unread = videos + "/unread.flv.2.tarnwick.part";
    test_support::WriteWholeFile(unread, "bytes of an item the load did not read");
    list_store.whole = false;
    ASSERT_TRUE(lifecycle.StartUp());
    EXPECT_EQ(queue.Count(), 1);
    EXPECT_TRUE(std::filesystem::exists(unread)) << "the item the load missed may own it";
}

TEST_F(KeptListTest, TheStatusLineSaysOnceWhenTheListCannotBeKeptAndWhenItIsAgain) {
    ASSERT_TRUE(lifecycle.StartUp());
    list_store.refuse = true;
    list_store.problem = "database or disk is full";
    AddVideo("a");
    EXPECT_EQ(status.Text(),
              "The list cannot be kept now (database or disk is full); Tarnwick tries again "
              "every minute");
    clock.Advance(StatusLine::kMessageTime);
    AddVideo("b");
    EXPECT_EQ(status.Text(), kReadyText);

    list_store.refuse = false;
    clock.Advance(list::ListKeeper::kRetryInterval - StatusLine::kMessageTime);
    EXPECT_EQ(status.Text(), "The list is kept again");
    EXPECT_EQ(list_store.items.size(), 3u);

    list_store.gone = true;
    AddVideo("c");
    clock.RunDue();
    EXPECT_EQ(status.Text(), "The list's file was gone; Tarnwick wrote the list again");
    EXPECT_EQ(list_store.items.size(), 4u);
}

TEST_F(KeptListTest, AnUnreadableListLeavesItsFilesAndThisStartsOwnGoAtExit) {
    list_store.items.clear();
    list_store.opening = {{}, "The list cannot be kept in /data: Permission denied"};
    ASSERT_TRUE(lifecycle.StartUp());
    EXPECT_TRUE(std::filesystem::exists(part)) << "the list that owns it may come back";

    // This start's own items are forgotten at exit, and so are their files.
    AddVideo("a", fakes::FakeReply::Of(fakes::FakeReply::Kind::kHoldBody));
    runs.ToggleRun();
    Settle();
    const std::string own = test_support::KeptPath(queue.At(0));
    ASSERT_FALSE(own.empty());
    box.answers = {MessageAnswer::Yes};
    lifecycle.Exit();
    EXPECT_FALSE(std::filesystem::exists(own));
    EXPECT_TRUE(std::filesystem::exists(part));
}

TEST_F(AppLifecycleTest, ExitWithoutARunAsksNothing) {
    commands.Run("IDC_FS_Close");
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(log, (Log{"unhook skin", "unhook wheel", "tray out", "quit"}));
    EXPECT_EQ(launch.launches.back().arguments, (std::vector<std::string>{"Exit"}));
}

TEST_F(AppLifecycleTest, ExitDuringARunAsksAndEndsTheTransferAtOnceOnYes) {
    AddVideo("a", fakes::FakeReply::Of(fakes::FakeReply::Kind::kHoldBody));
    runs.ToggleRun();
    Settle();
    const auto& transfer = http.exchanges.back();
    box.answers = {MessageAnswer::No};
    lifecycle.Exit();
    EXPECT_EQ(box.shown.back().text,
              "Download is in Progress, Are you sure that you want to exit?");
    EXPECT_TRUE(log.empty()) << "No keeps the program and the run";
    EXPECT_TRUE(transfer->IsOpen());

    box.answers = {MessageAnswer::Yes};
    lifecycle.Exit();
    EXPECT_TRUE(transfer->WasGivenUp());
    EXPECT_THAT(Status(0), testing::StartsWith("Cancelled"));
    EXPECT_EQ(log.back(), "quit");
}

TEST_F(AppLifecycleTest, AnExitFromOutsideDuringARunAsksNothingAndEndsTheTransfer) {
    AddVideo("a", fakes::FakeReply::Of(fakes::FakeReply::Kind::kHoldBody));
    runs.ToggleRun();
    Settle();
    const auto& transfer = http.exchanges.back();
    lifecycle.ExitUnasked();
    EXPECT_TRUE(box.shown.empty());
    EXPECT_TRUE(transfer->WasGivenUp());
    EXPECT_EQ(log.back(), "quit");
    EXPECT_EQ(launch.launches.back().arguments, (std::vector<std::string>{"Exit"}));
}

TEST_F(AppLifecycleTest, TheTrayMenusExitComesAFifthOfASecondLater) {
    TrayMenu menu(values, tray, window,
                  {{}, {}, [] { return ""; }, [this] { lifecycle.ExitSoon(); }});
    menu.OnTrayMenuEntry("mnuExit");
    EXPECT_TRUE(log.empty());
    clock.Advance(std::chrono::milliseconds(200));
    EXPECT_EQ(log.back(), "quit");
}

} // namespace
} // namespace tarnwick::shell
