#include "shell/tray_menu.h"

namespace tarnwick::shell {
namespace {

constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;

platform::TrayMenuEntry Separator(const char* name, bool enabled = true) {
    platform::TrayMenuEntry entry;
    entry.name = name;
    entry.separator = true;
    entry.enabled = enabled;
    return entry;
}

platform::TrayMenuEntry Entry(const char* name, const std::string& caption, bool enabled = true) {
    platform::TrayMenuEntry entry;
    entry.name = name;
    entry.caption = caption;
    entry.enabled = enabled;
    return entry;
}

} // namespace

std::vector<platform::TrayMenuEntry> TrayMenu::Entries() const {
    platform::TrayMenuEntry monitor = Entry("mnuMonitor", "Monitor Video URL's in Clipboard");
    monitor.checkable = true;
    monitor.checked = settings_.monitor_enabled;
    platform::TrayMenuEntry notify = Entry("mnuNotify", kNotifyCaption);
    notify.checkable = true;
    notify.checked = settings_.notify;
    return {
        Entry("mnuTarnwick", "Tarnwick"),
        Separator("mnuSep1"),
        Entry("mnuDownload", actions_.download_caption()),
        Separator("mnuSep2"),
        monitor,
        notify,
        Separator("mnuSep3", false),
        Entry("mnuHelp", "Help"),
        Entry("mnuAbout", "About"),
        Separator("mnuSep4"),
        Entry("mnuExit", "Exit Tarnwick"),
    };
}

void TrayMenu::OnTrayButton(int button) {
    if (button == kLeftButton) {
        if (!window_.IsVisible()) window_.Show();
    } else if (button == kRightButton) {
        tray_.PopupMenu(Entries());
    }
}

void TrayMenu::OnTrayMenuEntry(const std::string& name) {
    if (name == "mnuTarnwick") {
        window_.Show();
    } else if (name == "mnuDownload") {
        actions_.skin_command(actions_.download_caption() == "Start Downloading"
                                  ? "IDC_FS_startDownload"
                                  : "IDC_FS_stopDownload");
    } else if (name == "mnuMonitor") {
        actions_.switch_monitor(!settings_.monitor_enabled);
    } else if (name == "mnuNotify") {
        if (actions_.switch_notify) actions_.switch_notify(!settings_.notify);
    } else if (name == "mnuHelp") {
        actions_.skin_command("IDC_FS_Help");
    } else if (name == "mnuAbout") {
        window_.Show();
        if (actions_.open_about) actions_.open_about();
    } else if (name == "mnuExit") {
        actions_.exit_soon();
    }
}

} // namespace tarnwick::shell
