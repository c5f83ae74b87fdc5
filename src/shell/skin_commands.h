// The skin's named commands: each name, compared exactly, runs its
// operation; an unknown name is ignored.
#pragma once

#include "platform/app_paths.h"
#include "platform/grid.h"
#include "platform/main_window.h"
#include "platform/message_box.h"
#include "platform/shell_launch.h"
#include "platform/skin_player.h"
#include "platform/tray.h"
#include "shell/address_entry.h"
#include "shell/app_lifecycle.h"
#include "shell/clipboard_monitor.h"
#include "shell/grid_commands.h"
#include "shell/history_page.h"
#include "shell/run_commands.h"
#include "shell/settings_control.h"
#include "shell/skin_pages.h"
#include "shell/skin_variables.h"
#include "shell/ytdlp_notices.h"

#include <cstdint>
#include <string>

namespace tarnwick::shell {

inline constexpr const char* kHelpFile = "Help.html";
// There is no public web site: the help page's own About section stands in.
inline constexpr const char* kHelpAboutSection = "about";

struct CommandTargets {
    platform::MainWindow& window;
    platform::Tray& tray;
    platform::SkinPlayer& skin;
    platform::ShellLaunch& launch;
    platform::MessageBox& box;
    const platform::AppPaths& paths;
    platform::Grid& grid;
    AddressEntry& entry;
    SkinPages& pages;
    GridCommands& grid_commands;
    RunCommands& runs;
    AppLifecycle& lifecycle;
    SettingsControl& settings;
    ClipboardMonitor& monitor;
    // When given, yt-dlp is looked for again each time the about page opens.
    YtDlpNotices* ytdlp = nullptr;
    // When given, the History page's commands go to it.
    HistoryPage* history = nullptr;
};

class SkinCommands : public platform::SkinCommandListener {
public:
    explicit SkinCommands(CommandTargets targets) : t_(targets) {}

    // Runs the command of that name; only "IDC_FS_Resize" reads `args`: the
    // edges to resize from, among "left", "top", "right" and "bottom",
    // separated by blanks.
    void Run(const std::string& command, const std::string& args = "");
    void OnSkinCommand(const std::string& command, const std::string& args) override {
        Run(command, args);
    }
    // Has the skin open its About page, which then sends the About tab's
    // command.
    void OpenAboutPage() { SetSkinVariable(t_.skin, kSkinPage, "About"); }

private:
    void AddDownloadUrl();
    void OnHistory(void (HistoryPage::*action)()) {
        if (t_.history != nullptr) (t_.history->*action)();
    }
    void ToTray();
    void OpenHelp(const char* section);
    void SetMonitor(bool on);
    // Reads the number the skin wrote to `variable` and hands it to `set`;
    // what is no number puts the settings shown back as they are.
    void SetNumber(const char* variable, void (SettingsControl::*set)(int64_t));
    void SetChoice(SettingsControl::ChoicePart part, const char* variable);
    void ToggleMaximized() { t_.window.SetMaximized(!t_.window.IsMaximized()); }
    void Resize(const std::string& edges);

    CommandTargets t_;
};

} // namespace tarnwick::shell
