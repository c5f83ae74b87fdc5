#include "app/tarnwick_app.h"

#include "qt/dbus_file_manager.h"
#include "qt/desktop_notifier.h"
#include "qt/qt_app_paths.h"
#include "qt/qt_child_processes.h"
#include "qt/qt_clipboard.h"
#include "qt/qt_connectivity.h"
#include "qt/qt_folder_chooser.h"
#include "qt/qt_message_box.h"
#include "qt/qt_shell_launch.h"
#include "sqlite/sqlite_history.h"
#include "sqlite/sqlite_list_store.h"

#include <QFile>

#include <chrono>
#include <string_view>

namespace tarnwick::app {
namespace {

// The kept list, in the user's data folder.
constexpr const char* kListFile = "downloads.db";

// Today by the system clock (in UTC): yt-dlp's age is counted in whole days.
std::chrono::sys_days Today() {
    return std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
}

// The user agent of every request.
constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";

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

// A cookie file larger than this is not read: no real one comes near.
constexpr qint64 kMostCookieFileBytes = 16 * 1024 * 1024;

// The user's logins as the settings name them now: the cookie file is read
// afresh for each item, so that a file the user renewed counts at once.
driver::UserLogins LoginsNow(const settings::AppSettings& values) {
    driver::UserLogins logins;
    logins.cookies_from_browser = values.cookies_from;
    logins.private_folder = qt::LocalChannel::SocketFolder().toStdString();
    if (values.cookie_file.empty()) return logins;
    QFile file(QString::fromStdString(values.cookie_file));
    if (file.size() > kMostCookieFileBytes || !file.open(QIODevice::ReadOnly)) return logins;
    const QByteArray text = file.readAll();
    logins.cookies = handoff::ParseNetscapeFile(std::string_view(text.constData(), text.size()));
    return logins;
}

// The history kept in the program's own list database; the one given with a
// list store given, or none.
platform::HistoryStore* HistoryOf(platform::HistoryStore* given, platform::ListStore* own_list,
                                  std::unique_ptr<platform::HistoryStore>& own) {
    if (given != nullptr) return given;
    auto* database = dynamic_cast<sqlite::SqliteListStore*>(own_list);
    if (database == nullptr) return nullptr;
    own = std::make_unique<sqlite::SqliteHistory>(*database);
    return own.get();
}

} // namespace

TarnwickApp::TarnwickApp(const AppOverrides& o)
    : window(queue),
      message_box(Choose<platform::MessageBox, qt::QtMessageBox>(o.message_box, own_box_, &window)),
      box(message_box),
      paths(ChooseConst<platform::AppPaths, qt::QtAppPaths>(o.paths, own_paths_)),
      connectivity(
          Choose<platform::Connectivity, qt::QtConnectivity>(o.connectivity, own_connectivity_)),
      launch(Choose<platform::ShellLaunch, qt::QtShellLaunch>(o.launch, own_launch_)),
      file_manager(Choose<platform::FileManager, qt::DBusFileManager>(o.file_manager,
                                                                      own_file_manager_, launch)),
      chooser(
          Choose<platform::FolderChooser, qt::QtFolderChooser>(o.chooser, own_chooser_, &window)),
      clipboard(Choose<platform::Clipboard, qt::QtClipboard>(o.clipboard, own_clipboard_)),
      clock(Choose<platform::Clock, qt::QtClock>(o.clock, own_clock_)),
      http(Choose<platform::HttpClient, curl::CurlClient>(o.http, own_http_, kUserAgent, trace)),
      children(Choose<platform::ChildProcesses, qt::QtChildProcesses>(o.children, own_children_)),
      ytdlp_tool(children, &Today),
      list_store(Choose<platform::ListStore, sqlite::SqliteListStore>(
          o.list_store, own_list_store_, platform::JoinPath(paths.DataFolder(), kListFile))),
      traced_list_store(list_store, trace),
      queued_list_store(traced_list_store, list_writes),
      keeper(queue, queued_list_store, clock),
      history(HistoryOf(o.history, own_list_store_.get(), own_history_)),
      past_downloads(
          {.history = history,
           .file_exists = [](const std::string& path) { return transfer::files::Exists(path); },
           .download_again = [this] { return settings_values.download_again; }}),
      connection_budget(clock),
      run({.queue = queue,
           .http = http,
           .clock = clock,
           .download_folder = [this] { return settings_values.download_dir; },
           .html_parsers = &html_parsers,
           .reads_other_sites = [this] { return settings_values.other_sites; },
           .files = transfer::files::SystemFileSystem(),
           .background = &background,
           .trace = &trace,
           .cipher = &piece_cipher,
           .children = &children,
           .ytdlp = &ytdlp_tool,
           .uses_ytdlp = [this] { return settings_values.use_ytdlp; },
           // The status line is made after the run, and told only once it runs.
           .tell = [this](const std::string& text) { status_line.ShowMessage(text); },
           // Made after the run too: a playlist's entries come long after.
           .add_address =
               [this](const std::string& address, const std::string& identity) {
                   return address_entry.Enter(address, list::Origin::kPlaylist, identity);
               },
           .downloads_at_once = [this] { return settings_values.downloads_at_once; },
           .connections = [this] { return settings_values.connections; },
           .connection_budget = &connection_budget,
           .extras_when_held_back = true,
           .logins = [this] { return LoginsNow(settings_values); },
           .preferences = [this] { return settings_values.choice; },
           .resolve_ahead = true}),
      part_files(queue),
      run_commands({.queue = queue,
                    .run = run,
                    .box = box,
                    .connectivity = connectivity,
                    .skin = window.Skin(),
                    .clock = clock,
                    .pages = pages}),
      status_line({.queue = queue,
                   .run = run,
                   .grid = window.Grid(),
                   .skin = window.Skin(),
                   .clock = clock}),
      removals(queue, part_files, status_line, clock),
      grid_commands(queue, window.Grid(), settings_values, removals),
      keeping_notices(keeper, status_line),
      ytdlp_notices({.tool = ytdlp_tool, .skin = window.Skin(), .messages = status_line}),
      address_entry(queue, status_line, settings_values, &past_downloads),
      launch_entry(address_entry, run_commands, window),
      browser_entry(queue, run_commands, status_line, &past_downloads),
      store(o.user_settings.value_or(qt::QtSettingsStore::UserLocation()), &settings_writes),
      column_widths(window.Grid(), store),
      channel([this](const std::string& address) { clipboard_monitor.OnDelivery(address); },
              {.on_text = [this](const std::string& text) { launch_entry.Add(text); },
               .on_show = [this] { launch_entry.Finish(); }},
              {.on_item = [this](const std::string& item) { return browser_entry.Take(item); },
               .on_end = [this] { browser_entry.Finish(); }}),
      watcher(launch, paths, [this] { return channel.Address(); }),
      clipboard_monitor({.entry = address_entry,
                         .skin = window.Skin(),
                         .clipboard = clipboard,
                         .clock = clock,
                         .watcher = watcher,
                         .settings = settings_values,
                         .runs = run_commands,
                         .trace = trace}),
      settings_control({.values = settings_values,
                        .store = store,
                        .skin = window.Skin(),
                        .chooser = chooser,
                        .paths = paths,
                        .monitor = clipboard_monitor,
                        .keeper = keeper,
                        .box = box,
                        // The speed limit holds all of the client's connections
                        // together, from start-up on and at once when it
                        // changes; a run under way starts more items at once
                        // when their number rose.
                        .on_transfer_settings =
                            [this](const settings::AppSettings& values) {
                                http.SetSpeedLimit(values.speed_limit_kb * 1024);
                                connection_budget.SetPerDownload(values.connections);
                                run.AtOnceChanged();
                            }}),
      tray(o.tray_available ? o.tray_available : &QSystemTrayIcon::isSystemTrayAvailable),
      hooks(window, window.Grid()),
      lifecycle({.window = window,
                 .tray = tray,
                 .skin = window.Skin(),
                 .box = box,
                 .paths = paths,
                 .clock = clock,
                 .grid = window.Grid(),
                 .hooks = hooks,
                 .run = run,
                 .part_files = part_files,
                 .keeper = keeper,
                 .settings = settings_control,
                 .monitor = clipboard_monitor,
                 .removals = removals}),
      commands({.window = window,
                .tray = tray,
                .skin = window.Skin(),
                .launch = launch,
                .box = box,
                .paths = paths,
                .grid = window.Grid(),
                .entry = address_entry,
                .pages = pages,
                .grid_commands = grid_commands,
                .runs = run_commands,
                .lifecycle = lifecycle,
                .settings = settings_control,
                .monitor = clipboard_monitor,
                .ytdlp = &ytdlp_notices,
                .history = &history_page}),
      tray_menu(settings_values, tray, window,
                {.skin_command = [this](const std::string& command) { commands.Run(command); },
                 .switch_monitor =
                     [this](bool on) {
                         clipboard_monitor.SwitchMonitor(on);
                         settings_control.PublishSettings();
                     },
                 .download_caption = [this] { return run_commands.TrayEntryCaption(); },
                 .exit_soon = [this] { lifecycle.ExitSoon(); },
                 .switch_notify = [this](bool on) { settings_control.SetNotify(on); },
                 .open_about = [this] { commands.OpenAboutPage(); }}),
      item_files({.queue = queue,
                  .settings = settings_values,
                  .files = transfer::files::SystemFileSystem(),
                  .launch = launch,
                  .file_manager = file_manager,
                  .messages = status_line,
                  .names = grid_commands}),
      history_page({.history = history,
                    .skin = window.Skin(),
                    .files = item_files,
                    .clipboard = clipboard,
                    .entry = address_entry,
                    .messages = status_line,
                    .box = box,
                    .chooser = chooser,
                    .past = &past_downloads}),
      quality_dialog(&window),
      item_quality({.queue = queue,
                    .dialog = quality_dialog,
                    .messages = status_line,
                    .clock = clock,
                    .children = &children,
                    .ytdlp = &ytdlp_tool,
                    .uses_ytdlp = [this] { return settings_values.use_ytdlp; },
                    .logins = [this] { return LoginsNow(settings_values); },
                    .settings_choice = [this] { return settings_values.choice; },
                    .restart =
                        [this](list::ItemKey key) {
                            // Stopped, then waiting again: the run takes it anew.
                            run.StopItems({key});
                            queue.Modify(key, [](list::DownloadItem& item) {
                                item.state = list::ItemState::kWaiting;
                                item.rare->failure.reset();
                            });
                        },
                    .is_under_way =
                        [this](list::ItemKey key) {
                            const std::vector<list::ItemKey> under_way = run.ItemsUnderWay();
                            return std::find(under_way.begin(), under_way.end(), key) !=
                                   under_way.end();
                        }}),
      grid_actions({.queue = queue,
                    .grid = window.Grid(),
                    .commands = grid_commands,
                    .runs = run_commands,
                    .run = run,
                    .files = item_files,
                    .monitor = clipboard_monitor,
                    .quality = &item_quality,
                    .history = history}),
      window_commands({.entry = address_entry,
                       .clipboard = clipboard,
                       .lifecycle = lifecycle,
                       .grid = grid_commands,
                       .messages = status_line,
                       .undo = &removals}),
      notifier(Choose<platform::Notifier, qt::DesktopNotifier>(
          o.notifier, own_notifier_, QDBusConnection::sessionBus(),
          [this](const QString& title, const QString& text, std::function<void()> on_click) {
              return tray.ShowMessage(title, text, std::move(on_click));
          })),
      end_notices({.queue = queue,
                   .notifier = notifier,
                   .launch = launch,
                   .settings = settings_values,
                   .messages = status_line}) {
    window.Grid().SetEditHandler(&item_files);
    window.Grid().SetInputListener(&grid_actions);
    column_widths.Restore();
    window.SetWindowCommands(&window_commands);
    window.Skin().SetCommandListener(&commands);
    tray.SetListener(&tray_menu);
    window.SetCloseRequest([this] { lifecycle.Exit(); });
}

TarnwickApp::~TarnwickApp() {
    window.Skin().SetCommandListener(nullptr);
    tray.SetListener(nullptr);
    window.Grid().SetEditHandler(nullptr);
    window.Grid().SetInputListener(nullptr);
    window.SetWindowCommands(nullptr);
    // Transfers under way end before the services they use go.
    run.Stop();
}

bool TarnwickApp::Start(const std::function<void()>& on_listening, bool in_tray) {
    // The channel listens before the settings start the watcher with its
    // address; sockets left by killed runs of the program go first.
    qt::LocalChannel::RemoveStaleChannels();
    channel.Listen();
    if (on_listening) on_listening();
    if (!lifecycle.StartUp()) return false;
    ytdlp_notices.LookAgain();
    if (!in_tray) {
        window.show();
    } else if (!tray.IsAvailable()) {
        window.setAttribute(Qt::WA_ShowWithoutActivating);
        window.showMinimized();
    }
    return true;
}

} // namespace tarnwick::app
