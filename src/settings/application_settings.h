// The program's two settings, the clipboard monitor switch (MonitorEnabled)
// and the download directory (DownloadDir): loaded from the current user's
// store at start-up, saved when the user changes them in the skin, and
// published to the skin.
#pragma once

#include "common/main_state.h"
#include "platform/app_paths.h"
#include "platform/settings_store.h"
#include "platform/skin_player.h"
#include "shell/monitor.h"

#include <functional>
#include <optional>
#include <string>

namespace tarnwick::settings {

// Where the settings live below the current user's root, and their names.
inline constexpr const char* kSettingsKey = "Software\\Orvelle Tarnwick\\Settings";
inline constexpr const char* kMonitorSetting = "URL Mon";
inline constexpr const char* kDownloadDirSetting = "Download Dir";
// Read when no monitor setting is stored.
inline constexpr const char* kMonitorDefault = "true";
// The default download directory's name; on Windows it sits at the root of
// drive C, elsewhere in the user's home folder.
inline constexpr const char* kDefaultDownloadFolder = "Downloaded Videos";

// "True" and "False" in any letter case, or a number (0 is false, any other
// number true); nothing for any other text.
std::optional<bool> ParseTruthText(const std::string& text);

class ApplicationSettings {
public:
    ApplicationSettings(MainState& state, platform::SettingsStore& store,
                        platform::SkinPlayer& skin, const platform::AppPaths& paths,
                        shell::ClipboardWatcher& watcher)
        : state_(state), store_(store), skin_(skin), paths_(paths), watcher_(watcher) {}

    // Each of these runs its steps in order; a step that fails is skipped
    // and nothing is reported.
    // Reads both settings (with their defaults), starts the clipboard watcher
    // when monitoring is on, and publishes.
    void LoadSettings();
    // Writes "URL Mon" ("True" or "False"), then "Download Dir".
    void SaveSettings();
    // Sets the skin's monitor check box, its two fixed check boxes, and the
    // download directory, in that order.
    void PublishSettings();

    std::string DefaultDownloadDir() const;

    // What starts the clipboard monitor at load time, when it is more than
    // the watcher alone (a stand-in when the watcher cannot start).
    void SetMonitorSwitch(std::function<void(bool on)> monitor_switch) {
        monitor_switch_ = std::move(monitor_switch);
    }

private:
    MainState& state_;
    platform::SettingsStore& store_;
    platform::SkinPlayer& skin_;
    const platform::AppPaths& paths_;
    shell::ClipboardWatcher& watcher_;
    std::function<void(bool on)> monitor_switch_;
};

} // namespace tarnwick::settings
