// The whole program: the main window, its services and its logic, wired
// together. The program's main builds one with the real desktop services;
// tests and benchmarks replace the few that would reach the user's desktop.
#pragma once

#include "common/main_state.h"
#include "curl/curl_http_client.h"
#include "driver/app_lifecycle.h"
#include "driver/run_control.h"
#include "driver/transfer_event_handler.h"
#include "list/download_list.h"
#include "list/download_listing.h"
#include "platform/app_paths.h"
#include "platform/connectivity.h"
#include "platform/folder_chooser.h"
#include "platform/message_box.h"
#include "platform/shell_launch.h"
#include "qt/local_channel.h"
#include "qt/qt_clipboard.h"
#include "qt/qt_event_pump.h"
#include "qt/qt_settings_store.h"
#include "qt/qt_timer.h"
#include "qt/qt_tray.h"
#include "qt/tarnwick_window.h"
#include "resolve/link_resolver.h"
#include "settings/application_settings.h"
#include "settings/download_folder_choice.h"
#include "shell/clipboard_monitor.h"
#include "shell/grid_commands.h"
#include "shell/grid_presentation.h"
#include "shell/monitor.h"
#include "shell/single_message_box.h"
#include "shell/skin_commands.h"
#include "shell/tray_menu.h"
#include "shell/wheel_forwarding.h"
#include "transfer/download.h"

#include <memory>
#include <optional>

namespace tarnwick::app {

// Services to use instead of the desktop's own; nullptr keeps the real one.
struct AppOverrides {
    platform::MessageBox* message_box = nullptr;
    const platform::AppPaths* paths = nullptr;
    platform::Connectivity* connectivity = nullptr;
    platform::Clipboard* clipboard = nullptr;
    platform::ShellLaunch* launch = nullptr;
    platform::FolderChooser* chooser = nullptr;
    std::optional<platform::qt::SettingsLocation> user_settings;
    // The event pump's shortest time between two rounds of event processing.
    int pump_interval_ms = 2;
};

class TarnwickApp {
public:
    explicit TarnwickApp(const AppOverrides& overrides = {});
    ~TarnwickApp();

    // Loads the window in order and shows it; false when it cannot start.
    bool Start();

    MainState state;
    list::DownloadList list;

private:
    std::unique_ptr<platform::MessageBox> own_box_;
    std::unique_ptr<platform::AppPaths> own_paths_;
    std::unique_ptr<platform::Connectivity> own_connectivity_;
    std::unique_ptr<platform::ShellLaunch> own_launch_;
    std::unique_ptr<platform::FolderChooser> own_chooser_;
    std::unique_ptr<platform::Clipboard> own_clipboard_;

public:
    platform::qt::TarnwickWindow window;
    platform::qt::QtEventPump pump;
    platform::MessageBox& message_box;
    shell::SingleMessageBox box;
    const platform::AppPaths& paths;
    platform::Connectivity& connectivity;
    platform::ShellLaunch& launch;
    platform::FolderChooser& chooser;
    platform::Clipboard& clipboard;
    shell::GridPresentation presentation;
    list::DownloadListing listing;
    shell::GridCommands grid_commands;
    platform::curl::CurlHttpClient client;
    transfer::Download download;
    driver::TransferEventHandler transfer_events;
    resolve::LinkResolver resolver;
    platform::qt::QtTimer tmrDownload;
    platform::qt::QtTimer tmrend;
    driver::RunControl run;
    platform::qt::QtSettingsStore store;
    platform::qt::QtTimer tmrMonitor;
    // The watcher hands each copied address to the window through this channel.
    platform::qt::LocalChannel channel;
    shell::ClipboardWatcher watcher;
    settings::ApplicationSettings app_settings;
    shell::ClipboardMonitor clipboard_monitor;
    settings::DownloadFolderChoice folder_choice;
    platform::qt::QtTray tray;
    shell::WindowHooks hooks;
    driver::AppLifecycle lifecycle;
    shell::SkinCommands commands;
    shell::TrayMenu tray_menu;
};

} // namespace tarnwick::app
