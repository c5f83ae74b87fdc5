// The tray icon's notifications and its menu: show the window, start or
// stop the run, switch the clipboard monitor and the notifications of ended
// items, open the help or the About page, and exit.
#pragma once

#include "platform/main_window.h"
#include "platform/tray.h"
#include "settings/application_settings.h"

#include <functional>
#include <string>
#include <vector>

namespace tarnwick::shell {

inline constexpr const char* kTrayTip = "Tarnwick";
inline constexpr const char* kNotifyCaption = "Notify When Downloads End";

struct TrayActions {
    // Runs a skin command, as the skin would send it.
    std::function<void(const std::string& command)> skin_command;
    // Switches the clipboard monitor without saving the setting.
    std::function<void(bool on)> switch_monitor;
    // The start/stop entry's caption, kept in step with the start button.
    std::function<std::string()> download_caption;
    // Ends the program shortly, outside the menu's own handling.
    std::function<void()> exit_soon;
    // Switches the notifications of ended items and saves the setting.
    std::function<void(bool on)> switch_notify = {};
    // Opens the skin's About page, as its tab does.
    std::function<void()> open_about = {};
};

class TrayMenu : public platform::TrayListener {
public:
    TrayMenu(const settings::AppSettings& settings, platform::Tray& tray,
             platform::MainWindow& window, TrayActions actions)
        : settings_(settings), tray_(tray), window_(window), actions_(std::move(actions)) {}

    // The menu's entries in order, with the monitor's check mark as it is now.
    std::vector<platform::TrayMenuEntry> Entries() const;

    void OnTrayButton(int button) override;
    void OnTrayMenuEntry(const std::string& name) override;

private:
    const settings::AppSettings& settings_;
    platform::Tray& tray_;
    platform::MainWindow& window_;
    TrayActions actions_;
};

} // namespace tarnwick::shell
