// The whole program: the main window, its services and its logic, wired
// together. The program's main builds one with the real desktop services;
// tests and benchmarks replace the few that would reach the user's desktop.
#pragma once

#include "crypto/openssl_piece_cipher.h"
#include "curl/curl_client.h"
#include "driver/download_run.h"
#include "driver/part_files.h"
#include "driver/ytdlp_tool.h"
#include "html/libxml_html_parser.h"
#include "list/download_queue.h"
#include "list/list_keeper.h"
#include "list/queued_list_store.h"
#include "list/traced_list_store.h"
#include "platform/app_paths.h"
#include "platform/child_process.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/connectivity.h"
#include "platform/file_manager.h"
#include "platform/folder_chooser.h"
#include "platform/http_client.h"
#include "platform/list_store.h"
#include "platform/message_box.h"
#include "platform/notifier.h"
#include "platform/shell_launch.h"
#include "qt/local_channel.h"
#include "qt/qt_clock.h"
#include "qt/qt_quality_dialog.h"
#include "qt/qt_settings_store.h"
#include "qt/qt_trace.h"
#include "qt/qt_tray.h"
#include "qt/tarnwick_window.h"
#include "qt/thread_background_work.h"
#include "settings/application_settings.h"
#include "shell/address_entry.h"
#include "shell/app_lifecycle.h"
#include "shell/browser_entry.h"
#include "shell/clipboard_monitor.h"
#include "shell/column_widths.h"
#include "shell/downloaded_before.h"
#include "shell/end_notices.h"
#include "shell/grid_actions.h"
#include "shell/grid_commands.h"
#include "shell/history_page.h"
#include "shell/item_files.h"
#include "shell/item_quality.h"
#include "shell/keeping_notices.h"
#include "shell/launch_entry.h"
#include "shell/removals.h"
#include "shell/run_commands.h"
#include "shell/settings_control.h"
#include "shell/single_message_box.h"
#include "shell/skin_commands.h"
#include "shell/skin_pages.h"
#include "shell/status_line.h"
#include "shell/tray_menu.h"
#include "shell/watcher_launch.h"
#include "shell/wheel_forwarding.h"
#include "shell/window_commands.h"
#include "shell/ytdlp_notices.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::app {

// Services to use instead of the desktop's own; nullptr keeps the real one.
struct AppOverrides {
    platform::MessageBox* message_box = nullptr;
    const platform::AppPaths* paths = nullptr;
    platform::Connectivity* connectivity = nullptr;
    platform::Clipboard* clipboard = nullptr;
    platform::ShellLaunch* launch = nullptr;
    platform::FileManager* file_manager = nullptr;
    platform::FolderChooser* chooser = nullptr;
    platform::Clock* clock = nullptr;
    platform::HttpClient* http = nullptr;
    platform::ChildProcesses* children = nullptr;
    // Written from a thread of its own, as the program's own is.
    platform::ListStore* list_store = nullptr;
    // With a list store given, the history it keeps; none remembers nothing.
    platform::HistoryStore* history = nullptr;
    platform::Notifier* notifier = nullptr;
    std::optional<qt::SettingsLocation> user_settings;
    // Whether the desktop has a tray; empty asks the desktop.
    qt::QtTray::AvailabilityCheck tray_available;
};

class TarnwickApp {
public:
    explicit TarnwickApp(const AppOverrides& overrides = {});
    ~TarnwickApp();
    TarnwickApp(const TarnwickApp&) = delete;
    TarnwickApp& operator=(const TarnwickApp&) = delete;

    // Loads the window in order and shows it; false when it cannot start.
    // `on_listening` runs once the channel listens, before the list is back.
    // `in_tray` keeps the window in the tray (minimised where there is
    // none), without taking the focus.
    bool Start(const std::function<void()>& on_listening = {}, bool in_tray = false);
    // Lists the texts of this launch's command line, then those that later
    // launches handed over while it started.
    void TakeLaunch(const std::vector<std::string>& texts) {
        launch_entry.TakeOwn(texts);
        browser_entry.Started();
    }

    list::DownloadQueue queue;
    settings::AppSettings settings_values;
    shell::SkinPages pages;

private:
    std::unique_ptr<platform::MessageBox> own_box_;
    std::unique_ptr<platform::AppPaths> own_paths_;
    std::unique_ptr<platform::Connectivity> own_connectivity_;
    std::unique_ptr<platform::ShellLaunch> own_launch_;
    std::unique_ptr<platform::FileManager> own_file_manager_;
    std::unique_ptr<platform::FolderChooser> own_chooser_;
    std::unique_ptr<platform::Clipboard> own_clipboard_;
    std::unique_ptr<platform::Clock> own_clock_;
    std::unique_ptr<platform::HttpClient> own_http_;
    std::unique_ptr<platform::ChildProcesses> own_children_;
    std::unique_ptr<platform::ListStore> own_list_store_;
    std::unique_ptr<platform::HistoryStore> own_history_;
    std::unique_ptr<platform::Notifier> own_notifier_;

public:
    // What the program does, written out when asked for (QT_LOGGING_RULES,
    // --verbose).
    qt::QtTrace trace;
    qt::TarnwickWindow window;
    platform::MessageBox& message_box;
    shell::SingleMessageBox box;
    const platform::AppPaths& paths;
    platform::Connectivity& connectivity;
    platform::ShellLaunch& launch;
    platform::FileManager& file_manager;
    platform::FolderChooser& chooser;
    platform::Clipboard& clipboard;
    platform::Clock& clock;
    platform::HttpClient& http;
    // Other programs the user installed; the children started go before it.
    platform::ChildProcesses& children;
    // The user's yt-dlp, which the run asks for the videos of other sites.
    driver::YtDlpTool ytdlp_tool;
    platform::ListStore& list_store;
    list::TracedListStore traced_list_store;
    // The list's writes wait their turn on a thread of their own, away from
    // the window; those still waiting when the program ends are done first.
    qt::ThreadBackgroundWork list_writes;
    list::QueuedListStore queued_list_store;
    list::ListKeeper keeper;
    // What was downloaded before, kept beside the list; none when the list
    // is kept elsewhere.
    platform::HistoryStore* history;
    shell::PastDownloads past_downloads;
    html::LibxmlHtmlParserFactory html_parsers;
    crypto::OpenSslPieceCipher piece_cipher;
    // Syncs finished files to the disk away from the window; what it holds
    // when the program ends is done first.
    qt::ThreadBackgroundWork background;
    // The connections of every download together, to each host and in all.
    transfer::ConnectionBudget connection_budget;
    driver::DownloadRun run;
    driver::PartFiles part_files;
    shell::RunCommands run_commands;
    shell::StatusLine status_line;
    shell::Removals removals;
    shell::GridCommands grid_commands;
    // What happens to the keeping of the list is said in the status line.
    shell::KeepingNotices keeping_notices;
    // Which yt-dlp there is, on the about page, and that it is old.
    shell::YtDlpNotices ytdlp_notices;
    shell::AddressEntry address_entry;
    shell::LaunchEntry launch_entry;
    shell::BrowserEntry browser_entry;
    // The settings are written to their file away from the window; what waits
    // when the program ends is written first.
    qt::ThreadBackgroundWork settings_writes;
    qt::QtSettingsStore store;
    shell::KeptColumnWidths column_widths;
    // The watcher hands each copied address to the window through this
    // channel, later launches their command lines, and the browser's host
    // its items.
    qt::LocalChannel channel;
    shell::ClipboardWatcher watcher;
    shell::ClipboardMonitor clipboard_monitor;
    shell::SettingsControl settings_control;
    qt::QtTray tray;
    shell::WindowHooks hooks;
    shell::AppLifecycle lifecycle;
    shell::SkinCommands commands;
    shell::TrayMenu tray_menu;
    // Complete items' files, the grid's keys and menu, and the window's keys.
    shell::ItemFiles item_files;
    shell::HistoryPage history_page;
    // Each item's own choice of quality, in its dialog.
    qt::QtQualityDialog quality_dialog;
    shell::ItemQuality item_quality;
    shell::GridActions grid_actions;
    shell::WindowCommands window_commands;
    // The ends of items while the user is away from the window.
    platform::Notifier& notifier;
    shell::EndNotices end_notices;
};

} // namespace tarnwick::app
