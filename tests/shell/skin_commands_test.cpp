#include "shell/shell_harness.h"
#include "shell/single_message_box.h"
#include "shell/tray_menu.h"

#include <cctype>
#include <filesystem>
#include <ostream>

namespace tarnwick::shell {
namespace {

namespace fs = std::filesystem;
using SkinCommandsTest = ShellHarness;

struct CommandCase {
    const char* command;
    Log log;
};

void PrintTo(const CommandCase& c, std::ostream* out) { *out << c.command; }

class EveryCommand : public ShellHarness, public testing::WithParamInterface<CommandCase> {};

TEST_P(EveryCommand, RunsItsOperation) {
    std::string command = GetParam().command;
    // A desktop without a tray: the window goes to the task bar instead.
    if (command.ends_with("_WithoutATray")) {
        tray.available = false;
        command.resize(command.size() - std::string("_WithoutATray").size());
    }
    commands.OnSkinCommand(command, "ignored");
    EXPECT_EQ(log, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(
    Names, EveryCommand,
    testing::Values(
        CommandCase{"IDC_FS_Drag", {"drag"}}, CommandCase{"IDC_FS_Minimize", {"minimize"}},
        CommandCase{"IDC_FS_Maximize", {"maximize"}},
        CommandCase{"IDC_FS_Tray", {"hide", "tray in"}},
        CommandCase{"IDC_FS_Tray_WithoutATray", {"minimize"}},
        CommandCase{"IDC_FS_Close", {"unhook skin", "unhook wheel", "tray out", "quit"}},
        CommandCase{"idc_fs_close", {}}, CommandCase{"IDC_FS_CLOSE", {}}, CommandCase{"", {}}),
    [](const testing::TestParamInfo<CommandCase>& info) {
        std::string name;
        for (const char c : std::string(info.param.command)) {
            if (std::isalnum(static_cast<unsigned char>(c))) name += c;
        }
        return name.empty() ? std::string("Empty") : name + std::to_string(info.index);
    });

TEST_F(SkinCommandsTest, PagesHelpSiteAndStartReachTheirTargets) {
    commands.Run("IDC_FS_About");
    EXPECT_FALSE(grid.visible);
    EXPECT_EQ(pages.current, SkinPage::kAbout);
    commands.Run("IDC_FS_Download");
    EXPECT_TRUE(grid.visible);
    EXPECT_EQ(grid.brought_to_front, 1);
    EXPECT_EQ(pages.current, SkinPage::kDownload);
    commands.Run("IDC_FS_Slider");
    EXPECT_FALSE(grid.visible);
    EXPECT_EQ(pages.current, SkinPage::kDownload);
    commands.Run("IDC_FS_Help");
    commands.Run("ID_FS_webSite");
    EXPECT_EQ(launch.opened, (Log{"/opt/tarnwick/Help.html", "/opt/tarnwick/Help.html#about"}));
    EXPECT_TRUE(box.shown.empty()) << "a browser showed the help";
    commands.Run("IDC_FS_startDownload");
    EXPECT_TRUE(box.shown.empty()) << "the start comes 200 ms later";
    clock.Advance(std::chrono::milliseconds(200));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].title, "Empty List");
    commands.Run("IDC_FS_stopDownload");
    EXPECT_EQ(box.shown.size(), 2u) << "the stop command starts at once when idle";
}

TEST_F(SkinCommandsTest, HelpWithoutABrowserSaysWhereTheHelpFileIs) {
    launch.handler_exists = false;
    commands.Run("IDC_FS_Help");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].title, "Help");
    EXPECT_EQ(box.shown[0].text,
              "No browser could be started to show the help.\r\n"
              "It is in \"/opt/tarnwick/Help.html\".");
}

TEST_F(SkinCommandsTest, AddDownloadUrlCleansTheAddressAndSaysWhenItIsListedAlready) {
    skin.variables["_root.video_url"] = " \t ";
    commands.Run("IDC_FS_addDownloadURL");
    EXPECT_TRUE(queue.IsEmpty());
    skin.variables["_root.video_url"] = "  http://youtube.com/watch?v=1 \r\n";
    commands.Run("IDC_FS_addDownloadURL");
    skin.variables["_root.video_url"] = "www.youtube.com/watch?v=2";
    commands.Run("IDC_FS_addDownloadURL");
    EXPECT_EQ(Addresses(),
              (Log{"http://youtube.com/watch?v=1", "http://www.youtube.com/watch?v=2"}));
    EXPECT_EQ(Status(0), "Waiting");
    EXPECT_TRUE(WritesOf(kSkinStatusText).empty()) << "nothing to say yet";

    skin.variables["_root.video_url"] = "http://youtube.com/watch?v=1";
    commands.Run("IDC_FS_addDownloadURL");
    EXPECT_EQ(queue.Count(), 2);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(status.Text(), "This address is already in the list, as item 1");
    EXPECT_EQ(skin.variables[kSkinStatusText], status.Text());
    clock.Advance(StatusLine::kMessageTime);
    EXPECT_EQ(skin.variables[kSkinStatusText], "Ready");
}

TEST_F(SkinCommandsTest, SettingsCommandsSwitchAndSave) {
    chooser.answer = "";
    commands.Run("ID_FS_downloadBrowse");
    EXPECT_EQ(chooser.prompts,
              (Log{"Please select the desired Download directory then press Ok."}));
    EXPECT_EQ(chooser.start_folders, Log{values.download_dir}) << "opens where videos go now";
    EXPECT_EQ(store.writes.size(), 18u) << "a cancelled choice still saves";
    const std::string clips = folder.File("clips");
    std::filesystem::create_directory(clips);
    chooser.answer = clips;
    commands.Run("ID_FS_downloadBrowse");
    EXPECT_EQ(values.download_dir, clips);
    EXPECT_EQ(WritesOf(kSkinDownloadDir), (std::vector<SkinWrite>{{kSkinDownloadDir, clips}}));
    EXPECT_EQ(store.values["Download Dir"], clips);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(clips), {}), 0)
        << "the trial leaves nothing behind";

    commands.Run("ID_FS_autoDownloadCheck");
    EXPECT_TRUE(values.monitor_enabled);
    EXPECT_EQ(store.values["URL Mon"], "True");
    commands.Run("ID_FS_autoDownloadUncheck");
    EXPECT_FALSE(values.monitor_enabled);
    EXPECT_EQ(store.values["URL Mon"], "False");
    commands.Run("ID_FS_ytDlpUncheck");
    EXPECT_FALSE(values.use_ytdlp);
    EXPECT_EQ(store.values["Use yt-dlp"], "False");
    commands.Run("ID_FS_ytDlpCheck");
    EXPECT_TRUE(values.use_ytdlp);
    EXPECT_EQ(store.values["Use yt-dlp"], "True");
    EXPECT_EQ(launch.launches, (std::vector<fakes::FakeShellLaunch::Launch>{{kWatcher, {kChannel}},
                                                                            {kWatcher, {"Exit"}}}));
}

// Each number the skin writes is kept within its limits, saved, shown back
// and told to the transfers when it changed.
TEST_F(SkinCommandsTest, TransferNumbersAreKeptWithinLimitsSavedShownAndTold) {
    skin.variables[kSkinConnections] = "6";
    commands.Run("ID_FS_connectionsChange");
    skin.variables[kSkinDownloadsAtOnce] = "9";
    commands.Run("ID_FS_downloadsAtOnceChange");
    skin.variables[kSkinSpeedLimit] = " 250 ";
    commands.Run("ID_FS_speedLimitChange");
    EXPECT_EQ(values.connections, 6);
    EXPECT_EQ(values.downloads_at_once, 4);
    EXPECT_EQ(values.speed_limit_kb, 250);
    EXPECT_EQ(store.values["Connections"], "6");
    EXPECT_EQ(store.values["Parallel Downloads"], "4");
    EXPECT_EQ(store.values["Speed limit"], "250");
    EXPECT_EQ(skin.variables[kSkinDownloadsAtOnce], "4") << "the skin shows the limit";
    EXPECT_EQ(skin.variables[kSkinSpeedLimit], "250");
    ASSERT_EQ(transfer_settings_told.size(), 3u);
    EXPECT_EQ(transfer_settings_told[0].connections, 6);
    EXPECT_EQ(transfer_settings_told[1].downloads_at_once, 4);
    EXPECT_EQ(transfer_settings_told[2].speed_limit_kb, 250);

    commands.Run("ID_FS_speedLimitChange");
    EXPECT_EQ(transfer_settings_told.size(), 3u) << "the same number changes nothing";
    skin.variables[kSkinSpeedLimit] = "-1";
    commands.Run("ID_FS_speedLimitChange");
    EXPECT_EQ(values.speed_limit_kb, 0) << "no limit";
    EXPECT_EQ(transfer_settings_told.size(), 4u);

    skin.variables[kSkinConnections] = "lots";
    skin.writes.clear();
    commands.Run("ID_FS_connectionsChange");
    EXPECT_EQ(values.connections, 6);
    EXPECT_EQ(WritesOf(kSkinConnections), (std::vector<SkinWrite>{{kSkinConnections, "6"}}))
        << "no number: the skin shows the kept one again";
    EXPECT_EQ(transfer_settings_told.size(), 4u);
}

TEST_F(SkinCommandsTest, AChosenFolderThatCannotBeWrittenIsRefusedSayingWhy) {
    const std::string before = values.download_dir;
    const std::string file = folder.File("a file");
    test_support::WriteWholeFile(file, "x");
    for (const auto& [chosen, reason] : std::vector<std::pair<std::string, std::string>>{
             {folder.File("gone"), "No such file or directory"}, {file, "Not a directory"}}) {
        box.shown.clear();
        chooser.answer = chosen;
        commands.Run("ID_FS_downloadBrowse");
        ASSERT_EQ(box.shown.size(), 1u) << chosen;
        EXPECT_EQ(box.shown[0].text, "Videos cannot be saved in \"" + chosen + "\": " + reason +
                                         ".\r\nThe download folder stays \"" + before + "\".");
        EXPECT_EQ(values.download_dir, before);
        EXPECT_TRUE(WritesOf(kSkinDownloadDir).empty());
    }
}

// The logins: the cookies' browser as the skin names it, and the cookie file
// chosen, refused when it cannot be read, and cleared; each saved and shown.
TEST_F(SkinCommandsTest, LoginsAreKeptSavedAndShown) {
    for (const auto& [written, kept] : std::vector<std::pair<std::string, std::string>>{
             {"Chrome", "chrome"}, {"None", ""}, {"brave", "brave"}, {"netscape", ""}}) {
        skin.variables[kSkinCookiesFrom] = written;
        commands.Run("ID_FS_cookiesFromChange");
        EXPECT_EQ(values.cookies_from, kept) << written;
        EXPECT_EQ(store.values["Cookies From"], kept) << written;
        EXPECT_EQ(skin.variables[kSkinCookiesFrom], kept) << "shown as kept";
    }
    for (const auto& [command, variable, written, kept] :
         std::vector<std::tuple<const char*, const char*, std::string, std::string>>{
             {"ID_FS_qualityChange", kSkinQuality, "720", "720"},
             {"ID_FS_qualityChange", kSkinQuality, "700", "best"},
             {"ID_FS_formatChange", kSkinFormat, "mkv", "mkv"},
             {"ID_FS_formatChange", kSkinFormat, "avi", "mp4"},
             {"ID_FS_soundOnlyChange", kSkinSoundOnly, "Opus", "opus"},
             {"ID_FS_subtitlesChange", kSkinSubtitles, "en,DE,xx-?", "en, de"},
             {"ID_FS_autoSubtitlesCheck", kSkinAutoSubtitlesCheck, "", "1"},
             {"ID_FS_subtitlesInsideCheck", kSkinSubtitlesInsideCheck, "", "1"},
             {"ID_FS_subtitlesInsideUncheck", kSkinSubtitlesInsideCheck, "", "0"}}) {
        skin.variables[variable] = written;
        commands.Run(command);
        EXPECT_EQ(skin.variables[variable], kept) << written;
    }
    EXPECT_EQ(values.choice.max_height, 0);
    EXPECT_EQ(store.values["Format"], "mp4");
    EXPECT_EQ(store.values["Sound Only"], "opus");
    EXPECT_EQ(store.values["Subtitles"], "en, de");
    EXPECT_EQ(store.values["Automatic Subtitles"], "True");
    EXPECT_EQ(store.values["Subtitles Inside"], "False");

    paths.home_folder = folder.Path().string();
    commands.Run("ID_FS_chooseCookieFile");
    EXPECT_EQ(chooser.start_folders, Log{paths.home_folder});
    EXPECT_TRUE(WritesOf(kSkinCookieFile).empty()) << "a cancel changes nothing";
    fs::create_directory(folder.File("logins"));
    const std::string cookies = folder.File("logins/cookies.txt");
    test_support::WriteWholeFile(cookies, "# Netscape HTTP Cookie File\n");
    chooser.file_answer = cookies;
    commands.Run("ID_FS_chooseCookieFile");
    EXPECT_EQ(values.cookie_file, cookies);
    EXPECT_EQ(store.values["Cookie File"], cookies);
    EXPECT_EQ(skin.variables[kSkinCookieFile], cookies);

    for (const auto& [chosen, reason] : std::vector<std::pair<std::string, std::string>>{
             {folder.File("gone.txt"), "No such file or directory"},
             {folder.File("logins"), "Is a directory"}}) {
        box.shown.clear();
        chooser.file_answer = chosen;
        commands.Run("ID_FS_chooseCookieFile");
        ASSERT_EQ(box.shown.size(), 1u) << chosen;
        EXPECT_EQ(box.shown[0].text, "Cookies cannot be read from \"" + chosen + "\": " + reason +
                                         ".\r\nThe cookie file stays \"" + cookies + "\".");
        EXPECT_EQ(values.cookie_file, cookies);
    }
    EXPECT_EQ(chooser.start_folders.back(), folder.File("logins")) << "opens where it lies";

    commands.Run("ID_FS_clearCookieFile");
    EXPECT_EQ(values.cookie_file, "");
    EXPECT_EQ(store.values["Cookie File"], "");
    EXPECT_EQ(skin.variables[kSkinCookieFile], "");

    store.values["Cookies From"] = "Opera";
    store.values["Cookie File"] = cookies;
    settings.LoadSettings();
    EXPECT_EQ(skin.variables[kSkinCookiesFrom], "opera");
    EXPECT_EQ(skin.variables[kSkinCookieFile], cookies);
}

// Setting up the browsers: the report in a box, the host beside the program
// in each manifest, and the extension's folder opened once something was set up.
TEST_F(SkinCommandsTest, SettingUpTheBrowsersReportsAndOpensTheExtensionsFolder) {
    paths.home_folder = folder.File("home");
    paths.program_folder = folder.File("program");
    fs::create_directories(folder.File("program/browser"));
    fs::create_directories(folder.File("home"));
    commands.Run("ID_FS_setupBrowsers");
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].icon, platform::MessageIcon::Information);
    EXPECT_TRUE(box.shown[0].text.starts_with("No browser was found")) << box.shown[0].text;
    EXPECT_TRUE(launch.opened.empty()) << "nothing to load the extension into";

    fs::create_directories(folder.File("home/.config/chromium"));
    commands.Run("ID_FS_setupBrowsers");
    ASSERT_EQ(box.shown.size(), 2u);
    const std::string extension = folder.File("program/browser");
    EXPECT_TRUE(box.shown[1].text.starts_with("Set up for Chromium. "));
    EXPECT_TRUE(box.shown[1].text.ends_with(" The extension is in " + extension + "."));
    EXPECT_EQ(launch.opened, Log{extension});
    const std::string manifest = test_support::ReadWholeFile(
        folder.File("home/.config/chromium/NativeMessagingHosts/org.tarnwick.browser_host.json"));
    EXPECT_NE(manifest.find("\"path\": \"" + folder.File("program/tarnwick-browser-host") + "\""),
              std::string::npos)
        << manifest;

    fs::remove_all(folder.File("home/.config"));
    fs::create_directories(folder.File("home/.mozilla"));
    test_support::WriteWholeFile(folder.File("home/.mozilla/native-messaging-hosts"), "");
    commands.Run("ID_FS_setupBrowsers");
    ASSERT_EQ(box.shown.size(), 3u);
    EXPECT_EQ(box.shown[2].icon, platform::MessageIcon::Exclamation);
    EXPECT_TRUE(box.shown[2].text.starts_with("Not set up: Firefox: ")) << box.shown[2].text;
    EXPECT_EQ(launch.opened.size(), 1u);
}

TEST(SingleMessageBoxTest, ASecondCopyOfAnOpenBoxIsNotShown) {
    fakes::ScriptedMessageBox inner;
    SingleMessageBox box(inner);
    platform::MessageAnswer nested = platform::MessageAnswer::Yes;
    int opened_inside = 0;
    inner.while_open = [&] {
        if (inner.shown.size() != 1) return;
        nested = box.Show("Are you sure?", "Tarnwick", platform::MessageIcon::Question,
                          platform::MessageButtons::YesNo);
        box.Show("Other", "Tarnwick", platform::MessageIcon::Exclamation,
                 platform::MessageButtons::Ok);
        opened_inside = static_cast<int>(inner.shown.size());
    };
    inner.answers = {platform::MessageAnswer::Yes};
    EXPECT_EQ(box.Show("Are you sure?", "Tarnwick", platform::MessageIcon::Question,
                       platform::MessageButtons::YesNo),
              platform::MessageAnswer::Yes);
    EXPECT_EQ(nested, platform::MessageAnswer::No);
    EXPECT_EQ(opened_inside, 2) << "another box may open over the first";
    EXPECT_FALSE(box.AnyOpen());
}

TEST(TrayMenuTest, ButtonsAndEntriesDoWhatTheMenuSays) {
    Log log;
    settings::AppSettings values;
    fakes::FakeTray tray{log};
    fakes::FakeMainWindow window{log};
    std::string caption = "Start Downloading";
    TrayMenu menu(values, tray, window,
                  {[&](const std::string& command) { log.push_back(command); },
                   [&](bool on) { log.push_back(on ? "monitor on" : "monitor off"); },
                   [&] { return caption; }, [&] { log.push_back("exit soon"); },
                   [&](bool on) { log.push_back(on ? "notify on" : "notify off"); },
                   [&] { log.push_back("about page"); }});

    menu.OnTrayButton(1); // visible: left alone
    window.visible = false;
    menu.OnTrayButton(2);
    EXPECT_FALSE(window.visible) << "a right click only opens the menu";
    tray.menus.clear();
    log.clear();
    menu.OnTrayButton(1);
    values.monitor_enabled = true;
    caption = "Stop Downloading";
    menu.OnTrayButton(2);
    ASSERT_EQ(tray.menus.size(), 1u);
    const auto& entries = tray.menus[0];
    ASSERT_EQ(entries.size(), 11u);
    EXPECT_EQ(entries[2].caption, "Stop Downloading");
    EXPECT_EQ(entries[4].caption, "Monitor Video URL's in Clipboard");
    EXPECT_TRUE(entries[4].checked);
    EXPECT_EQ(entries[5].caption, "Notify When Downloads End");
    EXPECT_TRUE(entries[5].checked);
    EXPECT_FALSE(entries[6].enabled);
    EXPECT_TRUE(entries[7].enabled && entries[8].enabled) << "Help and About";
    EXPECT_EQ(entries[10].caption, "Exit Tarnwick");

    menu.OnTrayMenuEntry("mnuDownload");
    caption = "Start Downloading";
    menu.OnTrayMenuEntry("mnuDownload");
    menu.OnTrayMenuEntry("mnuMonitor");
    menu.OnTrayMenuEntry("mnuNotify");
    window.visible = false;
    menu.OnTrayMenuEntry("mnuHelp");
    menu.OnTrayMenuEntry("mnuAbout");
    EXPECT_EQ(log, (Log{"show", "tray menu", "IDC_FS_stopDownload", "IDC_FS_startDownload",
                        "monitor off", "notify off", "IDC_FS_Help", "show", "about page"}));
    menu.OnTrayMenuEntry("mnuExit");
    EXPECT_EQ(log.back(), "exit soon");
}

TEST(WindowHooksTest, OneStepPerWheelTurnOverTheGridAndNoneForATilt) {
    Log log;
    fakes::FakeInputHooks hooks{log};
    list::DownloadQueue queue;
    fakes::FakeGrid grid{queue};
    WindowHooks window_hooks(hooks, grid);
    window_hooks.StartHook();
    ASSERT_EQ(hooks.wheel, &window_hooks);
    for (const int delta : {-120, 240, 30, 0, -1}) hooks.wheel->OnWheel(delta, 0);
    EXPECT_EQ(grid.scroll_actions, (std::vector<int>{1, 0, 0, 0, 1}));
    hooks.wheel->OnWheel(0, 120);
    hooks.wheel->OnWheel(0, -120);
    EXPECT_EQ(grid.scroll_actions.size(), 5u) << "a tilt sideways scrolls nothing";
    hooks.wheel->OnWheel(-120, 15);
    EXPECT_EQ(grid.scroll_actions.back(), 1) << "a turn with a little tilt is still a turn";
    window_hooks.StopHook();
    EXPECT_EQ(log, (Log{"hook skin", "hook wheel", "unhook skin", "unhook wheel"}));
}

} // namespace
} // namespace tarnwick::shell
