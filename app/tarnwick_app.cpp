#include "app/tarnwick_app.h"

#include "qt/qt_app_paths.h"
#include "qt/qt_clipboard.h"
#include "qt/qt_connectivity.h"
#include "qt/qt_folder_chooser.h"
#include "qt/qt_message_box.h"
#include "qt/qt_shell_launch.h"
#include "resolve/page_file.h"

#include <QCheckBox>

namespace tarnwick::app {
namespace {

template <typename Service, typename Real, typename... Args>
Service& Choose(Service* given, std::unique_ptr<Service>& own, Args&&... args) {
    if (given != nullptr) return *given;
    own = std::make_unique<Real>(std::forward<Args>(args)...);
    return *own;
}

template <typename Service, typename Real>
const Service& ChooseConst(const Service* given, std::unique_ptr<Service>& own) {
    if (given != nullptr) return *given;
    own = std::make_unique<Real>();
    return *own;
}

} // namespace

TarnwickApp::TarnwickApp(const AppOverrides& o)
    : pump(o.pump_interval_ms),
      message_box(Choose<platform::MessageBox, platform::qt::QtMessageBox>(o.message_box, own_box_,
                                                                           &window)),
      box(message_box),
      paths(ChooseConst<platform::AppPaths, platform::qt::QtAppPaths>(o.paths, own_paths_)),
      connectivity(Choose<platform::Connectivity, platform::qt::QtConnectivity>(o.connectivity,
                                                                                own_connectivity_)),
      launch(Choose<platform::ShellLaunch, platform::qt::QtShellLaunch>(o.launch, own_launch_)),
      chooser(Choose<platform::FolderChooser, platform::qt::QtFolderChooser>(
          o.chooser, own_chooser_, &window)),
      clipboard(
          Choose<platform::Clipboard, platform::qt::QtClipboard>(o.clipboard, own_clipboard_)),
      presentation(state, window.Grid()),
      listing(state, list, pump, box, window.Grid(), presentation),
      grid_commands(state, list, window.Grid(), listing),
      client(pump),
      download(client, pump),
      transfer_events(state, list, window.Grid(), listing, download),
      resolver(state, download, platform::JoinPath(paths.CacheFolder(), resolve::kPageFileName)),
      run({state, list, listing, presentation, resolver, download, box, connectivity, window.Skin(),
           window, tmrDownload}),
      store(o.user_settings.value_or(platform::qt::QtSettingsStore::UserLocation()),
            platform::qt::QtSettingsStore::MachineLocation()),
      channel([this](const std::string& address) { clipboard_monitor.txtMonitor_Change(address); }),
      watcher(state, launch, paths, [this] { return channel.Address(); }),
      app_settings(state, store, window.Skin(), paths, watcher),
      clipboard_monitor({state, listing, window.Skin(), clipboard, tmrMonitor, tmrDownload, watcher,
                         app_settings, [this] { run.cmdStartDownload_Click(); }}),
      folder_choice(state, chooser, window.Skin()),
      hooks(window, window.Grid()),
      lifecycle({state, window, tray, window.Skin(), box, paths, tmrend, presentation, listing,
                 hooks, download, [this] { app_settings.LoadSettings(); },
                 [this](bool on) { clipboard_monitor.SwitchMonitor(on); }}),
      commands(
          {state, window, tray, window.Skin(), launch, paths, tmrDownload, presentation,
           grid_commands, listing},
          {[this] { lifecycle.EndMe(); }, [this] { lifecycle.DragWindow(); },
           [this] { run.cmdStartDownload_Click(); }, [this] { folder_choice.cmdBrowse_Click(); },
           [this] { app_settings.SaveSettings(); },
           [this](bool on) { clipboard_monitor.SwitchMonitor(on); }}),
      tray_menu(state, tray, window, tmrend,
                {[this](const std::string& command) { commands.Flash_FSCommand(command, ""); },
                 [this](bool on) { clipboard_monitor.SwitchMonitorAndPublish(on); },
                 [this] { return run.TrayEntryCaption(); }}) {
    window.Grid().SetEditHandler(&grid_commands);
    app_settings.SetMonitorSwitch([this](bool on) { clipboard_monitor.SwitchMonitor(on); });
    download.SetEvents(&transfer_events);
    window.Skin().SetCommandListener(&commands);
    tray.SetListener(&tray_menu);
    tmrDownload.SetInterval(200);
    tmrend.SetInterval(200);
    tmrDownload.SetTickHandler([this] { run.tmrDownload_Timer(); });
    tmrend.SetTickHandler([this] { lifecycle.tmrend_Timer(); });
    window.SetActions(
        {[this](const std::string& txtURL) { run.cmdAdd2List_Click(txtURL); },
         [this] { run.cmdStartDownload_Click(); }, [this] { folder_choice.cmdBrowse_Click(); },
         [this] {
             clipboard_monitor.chkMonitor_Click();
             window.MonitorCheck()->setChecked(tmrMonitor.Enabled());
         },
         [this](const std::string& command) { commands.Flash_FSCommand(command, ""); },
         [this] { lifecycle.EndMe(); }});
}

TarnwickApp::~TarnwickApp() {
    window.Skin().SetCommandListener(nullptr);
    tray.SetListener(nullptr);
    window.Grid().SetEditHandler(nullptr);
}

bool TarnwickApp::Start() {
    // The channel listens before the settings start the watcher with its address.
    channel.Listen();
    if (!lifecycle.Form_Load()) return false;
    window.show();
    return true;
}

} // namespace tarnwick::app
