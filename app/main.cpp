// Tarnwick: wires the desktop services to the program's logic, loads the
// main window in order and runs the event loop.
#include "common/main_state.h"
#include "driver/app_lifecycle.h"
#include "driver/run_control.h"
#include "driver/transfer_event_handler.h"
#include "list/download_list.h"
#include "list/download_listing.h"
#include "platform/curl/curl_http_client.h"
#include "platform/qt/qt_app_paths.h"
#include "platform/qt/qt_connectivity.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_folder_chooser.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_shell_launch.h"
#include "platform/qt/qt_timer.h"
#include "platform/qt/qt_tray.h"
#include "platform/qt/tarnwick_window.h"
#include "resolve/link_resolver.h"
#include "resolve/page_file.h"
#include "settings/application_settings.h"
#include "settings/download_folder_choice.h"
#include "shell/grid_commands.h"
#include "shell/grid_presentation.h"
#include "shell/monitor.h"
#include "shell/single_message_box.h"
#include "shell/skin_commands.h"
#include "shell/tray_menu.h"
#include "shell/wheel_forwarding.h"
#include "transfer/download.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    using namespace tarnwick;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarnwick");
    QApplication::setOrganizationName("Orvelle Tarnwick");
    // Hidden in the tray, the program lives on until its exit command.
    QApplication::setQuitOnLastWindowClosed(false);

    platform::qt::TarnwickWindow window;
    MainState state;
    list::DownloadList list;
    platform::qt::QtEventPump pump;
    platform::qt::QtMessageBox message_box(&window);
    shell::SingleMessageBox box(message_box);
    platform::qt::QtGrid& grid = window.Grid();
    platform::qt::QmlSkinPlayer& skin = window.Skin();
    shell::GridPresentation presentation(state, grid);
    list::DownloadListing listing(state, list, pump, box, grid, presentation);
    shell::GridCommands grid_commands(state, list, grid, listing);
    grid.SetEditHandler(&grid_commands);

    platform::curl::CurlHttpClient client(pump);
    transfer::Download download(client, pump);
    driver::TransferEventHandler transfer_events(state, list, grid, listing, download);
    download.SetEvents(&transfer_events);
    platform::qt::QtAppPaths paths;
    resolve::LinkResolver resolver(state, download,
                                   platform::JoinPath(paths.CacheFolder(), resolve::kPageFileName));
    platform::qt::QtConnectivity connectivity;
    platform::qt::QtTimer tmrDownload, tmrend;
    tmrDownload.SetInterval(200);
    tmrend.SetInterval(200);
    driver::RunControl run({state, list, listing, presentation, resolver, download, box,
                            connectivity, skin, window, tmrDownload});

    platform::qt::QtSettingsStore store(platform::qt::QtSettingsStore::UserLocation(),
                                        platform::qt::QtSettingsStore::MachineLocation());
    platform::qt::QtShellLaunch launch;
    platform::qt::QtFolderChooser chooser(&window);
    shell::ClipboardWatcher watcher(state, launch, paths, [] { return std::string(); });
    settings::ApplicationSettings app_settings(state, store, skin, paths, watcher);
    settings::DownloadFolderChoice folder_choice(state, chooser, skin);

    platform::qt::QtTray tray;
    shell::WindowHooks hooks(window, grid);
    driver::AppLifecycle lifecycle({state, window, tray, skin, box, paths, tmrend, presentation,
                                    listing, hooks, download, [&] { app_settings.LoadSettings(); },
                                    [&](bool on) { watcher.Monitor(on); }});
    shell::SkinCommands commands(
        {state, window, tray, skin, launch, paths, tmrDownload, presentation, grid_commands,
         listing},
        {[&] { lifecycle.EndMe(); }, [&] { lifecycle.DragWindow(); },
         [&] { run.cmdStartDownload_Click(); }, [&] { folder_choice.cmdBrowse_Click(); },
         [&] { app_settings.SaveSettings(); }, [&](bool on) { watcher.Monitor(on); }});
    skin.SetCommandListener(&commands);
    shell::TrayMenu tray_menu(
        state, tray, window, tmrend,
        {[&](const std::string& command) { commands.Flash_FSCommand(command, ""); },
         [&](bool on) {
             watcher.Monitor(on);
             app_settings.PublishSettings();
         },
         [&] { return run.TrayEntryCaption(); }});
    tray.SetListener(&tray_menu);
    tmrDownload.SetTickHandler([&] { run.tmrDownload_Timer(); });
    tmrend.SetTickHandler([&] { lifecycle.tmrend_Timer(); });
    window.SetActions({[&](const std::string& txtURL) { run.cmdAdd2List_Click(txtURL); },
                       [&] { run.cmdStartDownload_Click(); },
                       [&] { folder_choice.cmdBrowse_Click(); }, [] {},
                       [&](const std::string& command) { commands.Flash_FSCommand(command, ""); },
                       [&] { lifecycle.EndMe(); }});

    if (!lifecycle.Form_Load()) return 1;
    window.show();
    return QApplication::exec();
}
