// Start-up and shut-down of the main window: its layout, the skin, the grid,
// the settings and the hooks in their order, and the one exit.
#pragma once

#include "driver/download_run.h"
#include "driver/part_files.h"
#include "list/list_keeper.h"
#include "platform/app_paths.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/main_window.h"
#include "platform/message_box.h"
#include "platform/skin_player.h"
#include "platform/tray.h"
#include "shell/clipboard_monitor.h"
#include "shell/removals.h"
#include "shell/settings_control.h"
#include "shell/wheel_forwarding.h"
#include "shell/window_layout.h"

#include <memory>
#include <string>

namespace tarnwick::shell {

inline constexpr const char* kSkinFile = "Main.qml";
inline constexpr const char* kTrayIconFile = "tray.png";
inline constexpr const char* kWindowIconFile = "tarnwick.png";
// How long the tray menu's exit waits.
inline constexpr platform::Duration kExitDelay{200};

struct LifecycleServices {
    platform::MainWindow& window;
    platform::Tray& tray;
    platform::SkinPlayer& skin;
    platform::MessageBox& box;
    const platform::AppPaths& paths;
    platform::Clock& clock;
    platform::Grid& grid;
    WindowHooks& hooks;
    driver::DownloadRun& run;
    driver::PartFiles& part_files;
    list::ListKeeper& keeper;
    SettingsControl& settings;
    ClipboardMonitor& monitor;
    Removals& removals;
};

class AppLifecycle {
public:
    explicit AppLifecycle(LifecycleServices services);

    // Sets the window up in order, brings the kept list back (or empties the
    // store when the list is not kept), and clears the download folder of our
    // temporary files that no item owns, unless the kept list was not read
    // whole.
    // False when the skin could not be loaded: the reason has been shown and
    // the program must end.
    bool StartUp();
    // The program's only exit; asks first while a run is under way, and the
    // run starts no new item while it asks. A run under way is stopped at
    // once: the item being transferred ends "Cancelled". The temporary files
    // the items own stay for the next start when the list is kept, and go
    // when it is not, or cannot be; those of removed items go.
    void Exit();
    // Exit without asking: the program is ended from outside (the session
    // logs out, a signal), and nobody may be there to answer.
    void ExitUnasked();
    // The tray menu's exit: Exit, kExitDelay from now.
    void ExitSoon();
    void DragWindow() { s_.window.StartDrag(); }
    WindowLayout& Layout() { return layout_; }

    // "Version 1.0.0.1", CR LF, and the program's description.
    static std::string AboutText();

private:
    bool SetUpWindow();
    void TellFolderReplaced(const std::string& stored);
    void TellStoreProblems();
    // Whether the list is to be kept and its store can keep it.
    bool ListIsKept() const;
    bool ConfirmExit();
    void Close();

    LifecycleServices s_;
    std::unique_ptr<platform::Timer> exit_timer_;
    WindowLayout layout_;
};

} // namespace tarnwick::shell
