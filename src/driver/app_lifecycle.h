// Start-up and shut-down of the main window: the fixed layout, the skin, the
// grid, the settings and the hooks in their order, and the one exit.
#pragma once

#include "common/main_state.h"
#include "list/download_listing.h"
#include "platform/app_paths.h"
#include "platform/main_window.h"
#include "platform/message_box.h"
#include "platform/skin_player.h"
#include "platform/tray.h"
#include "platform/window_timer.h"
#include "shell/grid_presentation.h"
#include "shell/wheel_forwarding.h"
#include "transfer/download.h"

#include <functional>
#include <string>

namespace tarnwick::driver {

inline constexpr const char* kSkinFile = "Main.qml";
inline constexpr const char* kTrayIconFile = "tray.png";
inline constexpr const char* kWindowIconFile = "tarnwick.png";
inline constexpr int kWindowWidth = 648;
inline constexpr int kWindowHeight = 585;
inline constexpr int kGridLeft = 36;
inline constexpr int kGridTop = 259;
inline constexpr int kGridWidth = 572;
inline constexpr int kGridHeight = 179;

struct LifecycleServices {
    MainState& state;
    platform::MainWindow& window;
    platform::Tray& tray;
    platform::SkinPlayer& skin;
    platform::MessageBox& box;
    const platform::AppPaths& paths;
    platform::WindowTimer& tmrend;
    shell::GridPresentation& presentation;
    list::DownloadListing& listing;
    shell::WindowHooks& hooks;
    transfer::Download& download;
    std::function<void()> load_settings;
    std::function<void(bool on)> monitor;
};

class AppLifecycle {
public:
    explicit AppLifecycle(LifecycleServices services) : s_(std::move(services)) {}

    // Sets the window up in order. False when the skin could not be loaded:
    // the reason has been shown and the program must end.
    bool Form_Load();
    bool InitWindow();
    // The program's only exit; asks first while a run is under way. A run
    // under way is stopped and its transfer ends cleanly before the program does.
    void EndMe();
    bool ConfirmExit();
    void tmrend_Timer();
    void DragWindow() { s_.window.StartDrag(); }

    // "Version 1.0.0.1", CR LF, and the program's description.
    static std::string AboutText();

private:
    LifecycleServices s_;
};

} // namespace tarnwick::driver
