// Applying the program's settings: loading them at start-up (which starts the
// clipboard monitor when it is on), saving them when the user changes them in
// the skin, publishing them to the skin, and choosing the download folder.
#pragma once

#include "list/list_keeper.h"
#include "platform/app_paths.h"
#include "platform/folder_chooser.h"
#include "platform/message_box.h"
#include "platform/settings_store.h"
#include "platform/skin_player.h"
#include "settings/application_settings.h"
#include "settings/window_placement.h"
#include "shell/clipboard_monitor.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tarnwick::shell {

struct SettingsServices {
    settings::AppSettings& values;
    platform::SettingsStore& store;
    platform::SkinPlayer& skin;
    platform::FolderChooser& chooser;
    const platform::AppPaths& paths;
    ClipboardMonitor& monitor;
    list::ListKeeper& keeper;
    // Where a chosen folder that cannot be written, or a cookie file that
    // cannot be read, is refused.
    platform::MessageBox& box;
    // Told the settings once they are loaded, and again each time the
    // connections, the downloads at once or the speed limit change.
    std::function<void(const settings::AppSettings&)> on_transfer_settings = {};
};

class SettingsControl {
public:
    explicit SettingsControl(SettingsServices services) : s_(services) {}

    // Reads the settings with their defaults, starts the clipboard monitor
    // when it is on, publishes, and tells the transfer settings. A stored folder that is no full
    // path is replaced by the default one; it comes back so that the user can be told.
    std::optional<std::string> LoadSettings();
    // Writes the monitor switch, the download folder, the keep switch, the
    // other-sites switch, the notify switch, the yt-dlp switch, the transfer
    // numbers and the logins.
    void SaveSettings() { settings::SaveSettings(s_.store, s_.values); }
    // Waits until what was saved is stored: for the program's end.
    void EndWrites() { s_.store.EndWrites(); }
    // Sets the skin's monitor check box, its two fixed check boxes, the
    // download folder, the keep-the-list, the other-sites and the yt-dlp check
    // boxes, then the connections, the downloads at once and the speed limit,
    // then the cookies' browser and the cookie file, in that order.
    void PublishSettings();
    // Keeps the list from now on, or empties what was kept; saves the switch.
    void SetKeepList(bool keep);
    // Switches the general page reader for addresses added from now on, and
    // saves the switch.
    void SetOtherSites(bool on);
    // Whether items started from now on may ask yt-dlp; saves the switch.
    void SetUseYtDlp(bool on);
    void SetDownloadAgain(bool on);
    // Switches the notifications of ended items, and saves the switch.
    void SetNotify(bool on);
    // Each brings the number within its limits, saves it and shows it in the
    // skin; a number that changes is told to the transfers.
    void SetConnections(int64_t count);
    void SetDownloadsAtOnce(int64_t count);
    // In KB/s; 0 is no limit.
    void SetSpeedLimit(int64_t kb_per_second);
    // The browser yt-dlp reads cookies from, named in any letter case; a text
    // that names none ("None" too) means none. Saves it and shows it back.
    void SetCookiesFrom(const std::string& text);
    // One part of what items started from now on keep (their quality,
    // container, sound, subtitles), by the word the skin shows it as; a word
    // the part does not know reads as its default. Saves it and shows it back.
    enum class ChoicePart : uint8_t {
        kQuality,
        kFormat,
        kSoundOnly,
        kSubtitles,
        kAutomatic,
        kInside
    };
    void SetChoice(ChoicePart part, const std::string& word);
    const resolve::QualityPreferences& Choice() const { return s_.values.choice; }
    // The cookie file, "" for none: saves it and shows it.
    void SetCookieFile(const std::string& path);
    void ClearCookieFile() { SetCookieFile(""); }
    // Lets the user choose a cookie file, opened where the present one lies
    // (else in the home folder). A cancel changes nothing; a file that cannot
    // be read is refused, saying why.
    void ChooseCookieFile();

    // Where the user left the main window; none when nothing usable is stored.
    std::optional<settings::WindowPlacement> StoredWindow() {
        return settings::LoadWindowPlacement(s_.store);
    }
    void StoreWindow(const settings::WindowPlacement& placement) {
        settings::SaveWindowPlacement(s_.store, placement);
    }

    const std::string& DownloadFolder() const { return s_.values.download_dir; }
    bool KeepsTheList() const { return s_.values.keep_list; }

    // The chosen folder's full path, or the empty text on cancel. The chooser
    // opens in the download folder.
    std::string BrowseForFolder(const std::string& prompt);
    // Lets the user choose; a chosen folder goes to the skin and becomes the
    // download folder. A cancel changes nothing; a folder that cannot be
    // written is refused at once, saying why. Saving is the caller's step.
    void ChooseDownloadFolder();

private:
    // Stores `value` brought within `limits` in `field`, saves it, writes it
    // to the skin's `variable`, and tells the transfers when it changed.
    template <typename Number>
    void SetTransferNumber(Number& field, int64_t value, const settings::NumberLimits& limits,
                           const char* variable);
    void TellTransferSettings();

    SettingsServices s_;
};

} // namespace tarnwick::shell
