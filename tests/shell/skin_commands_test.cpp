#include "shell/skin_commands.h"

#include "fakes/fake_app_paths.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_event_pump.h"
#include "fakes/fake_grid.h"
#include "fakes/fake_shell_launch.h"
#include "fakes/fake_timer.h"
#include "fakes/listing_harness.h"
#include "fakes/recording_skin.h"
#include "fakes/scripted_message_box.h"
#include "shell/single_message_box.h"
#include "shell/tray_menu.h"
#include "shell/wheel_forwarding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::shell {
namespace {

using Log = std::vector<std::string>;

class SkinCommandsTest : public testing::Test, protected fakes::ListingHarness {
protected:
    CommandActions Actions() {
        return {[this] { log.push_back("EndMe"); },
                [this] { log.push_back("DragWindow"); },
                [this] { log.push_back("cmdStartDownload_Click"); },
                [this] { log.push_back("cmdBrowse_Click"); },
                [this] { log.push_back("SaveSettings"); },
                [this](bool on) {
                    log.push_back(std::string("Monitor ") + (on ? "on" : "off") +
                                  (state.MonitorEnabled ? " (was on)" : " (was off)"));
                }};
    }

    Log log;
    GridCommands grid_commands{state, list, grid, listing};
    fakes::FakeMainWindow window{log};
    fakes::FakeTray tray{log};
    fakes::RecordingSkin skin;
    fakes::FakeShellLaunch launch;
    fakes::FakeAppPaths paths;
    fakes::FakeTimer tmrDownload;
    SkinCommands commands{{state, window, tray, skin, launch, paths, tmrDownload, presentation,
                           grid_commands, listing},
                          Actions()};
};

struct CommandCase {
    const char* command;
    Log log;
};

class EveryCommand : public SkinCommandsTest, public testing::WithParamInterface<CommandCase> {};

TEST_P(EveryCommand, RunsItsOperation) {
    commands.Flash_FSCommand(GetParam().command, "ignored");
    EXPECT_EQ(log, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(
    Names, EveryCommand,
    testing::Values(
        CommandCase{"IDC_FS_Drag", {"DragWindow"}}, CommandCase{"IDC_FS_Minimize", {"minimize"}},
        CommandCase{"IDC_FS_Tray", {"hide", "tray in"}}, CommandCase{"IDC_FS_Close", {"EndMe"}},
        CommandCase{"IDC_FS_stopDownload", {"cmdStartDownload_Click"}},
        CommandCase{"ID_FS_downloadBrowse", {"cmdBrowse_Click", "SaveSettings"}},
        CommandCase{"ID_FS_autoDownloadCheck", {"Monitor on (was off)", "SaveSettings"}},
        CommandCase{"ID_FS_autoDownloadUncheck", {"Monitor off (was off)", "SaveSettings"}},
        CommandCase{"idc_fs_close", {}}, CommandCase{"IDC_FS_CLOSE", {}}, CommandCase{"", {}}),
    [](const testing::TestParamInfo<CommandCase>& info) {
        std::string name;
        for (const char c : std::string(info.param.command)) {
            if (std::isalnum(static_cast<unsigned char>(c))) name += c;
        }
        return name.empty() ? std::string("Empty") : name + std::to_string(info.index);
    });

TEST_F(SkinCommandsTest, PagesHelpSiteAndStartReachTheirTargets) {
    commands.Flash_FSCommand("IDC_FS_About", "");
    EXPECT_FALSE(grid.visible);
    EXPECT_EQ(state.CurrentPage, "About");
    commands.Flash_FSCommand("IDC_FS_Download", "");
    EXPECT_TRUE(grid.visible);
    EXPECT_EQ(grid.brought_to_front, 1);
    EXPECT_EQ(state.CurrentPage, "Download");
    commands.Flash_FSCommand("IDC_FS_Slider", "");
    EXPECT_FALSE(grid.visible);
    EXPECT_EQ(state.CurrentPage, "Download");
    commands.Flash_FSCommand("IDC_FS_Help", "");
    commands.Flash_FSCommand("ID_FS_webSite", "");
    EXPECT_EQ(launch.opened, (Log{"/opt/tarnwick/Help.html", kHomePage}));
    commands.Flash_FSCommand("IDC_FS_startDownload", "");
    EXPECT_TRUE(tmrDownload.enabled);
    EXPECT_TRUE(log.empty());
}

TEST_F(SkinCommandsTest, AddDownloadUrlSkipsBlanksAndPassesPaddedAddressesAsTyped) {
    skin.variables["_root.video_url"] = "   ";
    commands.Flash_FSCommand("IDC_FS_addDownloadURL", "");
    EXPECT_TRUE(list.IsListEmpty());
    skin.variables["_root.video_url"] = "  http://youtube.com/watch?v=1 ";
    commands.Flash_FSCommand("IDC_FS_addDownloadURL", "");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.At(0).Video_URL, "  http://youtube.com/watch?v=1 ");
    EXPECT_EQ(list.At(0).Status, "Waiting");
}

TEST_F(SkinCommandsTest, GridCommandsActOnTheList) {
    list.AddItem("a", "", "Complete", "");
    list.AddItem("b", "", "", "");
    listing.FillDownloadList();
    commands.Flash_FSCommand("ID_FS_clearComplete", "");
    ASSERT_EQ(list.Count(), 1);
    commands.Flash_FSCommand("IDC_FS_selectAllD", "");
    commands.Flash_FSCommand("IDC_FS_removeSelectedD", "");
    EXPECT_TRUE(list.IsListEmpty());
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
    MainState state;
    fakes::FakeTray tray{log};
    fakes::FakeMainWindow window{log};
    fakes::FakeTimer tmrend;
    std::string caption = "Start Downloading";
    TrayMenu menu(state, tray, window, tmrend,
                  {[&](const std::string& command) { log.push_back(command); },
                   [&](bool on) { log.push_back(on ? "monitor on" : "monitor off"); },
                   [&] { return caption; }});

    menu.OnTrayButton(1); // visible: left alone
    window.visible = false;
    menu.OnTrayButton(1);
    state.MonitorEnabled = true;
    caption = "Stop Downloading";
    menu.OnTrayButton(2);
    ASSERT_EQ(tray.menus.size(), 1u);
    const auto& entries = tray.menus[0];
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries[2].caption, "Stop Downloading");
    EXPECT_EQ(entries[4].caption, "Monitor Video URL's in Clipboard");
    EXPECT_TRUE(entries[4].checked);
    EXPECT_FALSE(entries[6].enabled);
    EXPECT_EQ(entries[9].caption, "Exit Tarnwick");

    menu.OnTrayMenuEntry("mnuDownload");
    caption = "Start Downloading";
    menu.OnTrayMenuEntry("mnuDownload");
    menu.OnTrayMenuEntry("mnuMonitor");
    menu.OnTrayMenuEntry("mnuHelp");
    EXPECT_EQ(log, (Log{"show", "foreground", "tray menu", "IDC_FS_stopDownload",
                        "IDC_FS_startDownload", "monitor off"}));
    menu.OnTrayMenuEntry("mnuExit");
    EXPECT_TRUE(tmrend.enabled);
}

TEST(WindowHooksTest, OneStepPerWheelEventOnlyWhileTheGridHasTheFocus) {
    Log log;
    fakes::FakeInputHooks hooks{log};
    fakes::FakeGrid grid;
    WindowHooks window_hooks(hooks, grid);
    window_hooks.StartHook();
    ASSERT_EQ(hooks.wheel, &window_hooks);
    hooks.wheel->OnWheel(-120);
    EXPECT_TRUE(grid.scroll_actions.empty());
    grid.focused = true;
    for (const int delta : {-120, 240, 30, 0, -1}) hooks.wheel->OnWheel(delta);
    EXPECT_EQ(grid.scroll_actions, (std::vector<int>{1, 0, 0, 0, 1}));
    window_hooks.StopHook();
    EXPECT_EQ(log, (Log{"hook skin", "hook wheel", "unhook skin", "unhook wheel"}));
}

} // namespace
} // namespace tarnwick::shell
