// The skin's named commands: each name, compared exactly, runs its
// operation; an unknown name is ignored.
#pragma once

#include "common/main_state.h"
#include "list/download_listing.h"
#include "platform/app_paths.h"
#include "platform/main_window.h"
#include "platform/shell_launch.h"
#include "platform/skin_player.h"
#include "platform/tray.h"
#include "platform/window_timer.h"
#include "shell/grid_commands.h"
#include "shell/grid_presentation.h"

#include <functional>
#include <string>

namespace tarnwick::shell {

inline constexpr const char* kHelpFile = "Help.html";
inline constexpr const char* kHomePage = "https://tarnwick.orvelle.example/";

// Operations of the driver and the settings that commands run.
struct CommandActions {
    std::function<void()> end_me; // the program's exit
    std::function<void()> drag_window;
    std::function<void()> start_stop; // the start/stop command
    std::function<void()> browse;     // the folder chooser
    std::function<void()> save_settings;
    std::function<void(bool on)> monitor; // starts or stops the clipboard monitor
};

struct CommandTargets {
    MainState& state;
    platform::MainWindow& window;
    platform::Tray& tray;
    platform::SkinPlayer& skin;
    platform::ShellLaunch& launch;
    const platform::AppPaths& paths;
    platform::WindowTimer& tmrDownload;
    GridPresentation& presentation;
    GridCommands& grid_commands;
    list::DownloadListing& listing;
};

class SkinCommands : public platform::SkinCommandListener {
public:
    SkinCommands(CommandTargets targets, CommandActions actions)
        : t_(targets), actions_(std::move(actions)) {}

    // `args` is never used.
    void Flash_FSCommand(const std::string& command, const std::string& args);
    void OnSkinCommand(const std::string& command, const std::string& args) override {
        Flash_FSCommand(command, args);
    }

private:
    void AddDownloadUrl();
    void SetMonitor(bool on);

    CommandTargets t_;
    CommandActions actions_;
};

} // namespace tarnwick::shell
