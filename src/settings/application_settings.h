// The program's settings, among them the clipboard monitor switch and the
// download folder: read from the user's store with their defaults, and written
// back when the user changes them. Whoever holds the values applies them.
#pragma once

#include "platform/settings_store.h"
#include "resolve/quality_preferences.h"
#include "settings/number_setting.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::settings {

struct AppSettings {
    bool monitor_enabled = false;
    std::string download_dir;
    bool keep_list = true;
    bool other_sites = true;
    // Whether the desktop is told when an item ends while the window is not
    // the active one.
    bool notify = true;
    // Whether the user's yt-dlp, when installed, is asked for the videos of
    // other sites.
    bool use_ytdlp = true;
    // A video downloaded before, whose file is still there, is downloaded again.
    bool download_again = false;
    // How many connections one download may open, 1 to 16.
    int connections = static_cast<int>(kConnectionsLimits.fallback);
    // How many items download at the same time, 1 to 4.
    int downloads_at_once = static_cast<int>(kDownloadsAtOnceLimits.fallback);
    // The most all downloads together may take, in KB/s; 0 is no limit.
    int64_t speed_limit_kb = kSpeedLimitLimits.fallback;
    // The browser yt-dlp reads cookies from, one of kCookieBrowsers; empty
    // for none.
    std::string cookies_from = {};
    // A Netscape cookies.txt for the requests and yt-dlp; empty for none.
    std::string cookie_file = {};
    // What is kept of each video by default: its quality, container, sound
    // and subtitles.
    resolve::QualityPreferences choice = {};
};

// The browsers yt-dlp can read cookies from, as it names them.
inline constexpr const char* kCookieBrowsers[] = {"firefox", "chromium", "chrome", "brave",
                                                  "vivaldi", "edge",     "opera"};

// "True" and "False" in any letter case, or a number (0 is false, any other
// number true); nothing for any other text.
std::optional<bool> ParseTruthText(const std::string& text);

// The default download folder below `home_folder` (on Windows, at drive C's root).
std::string DefaultDownloadDir(const std::string& home_folder);

// The stored settings. A monitor switch that reads as no truth word leaves
// the monitor off; a missing one means on. A missing folder is the default.
// A cookies' browser that yt-dlp cannot read reads as none, a cookie file
// that is no full path too.
// The list is kept, pages of other sites are read, the ends of items are
// notified and yt-dlp is used, unless their stored switches read as false.
// The connections, the downloads at once and the speed limit are brought
// within their limits, and read as their defaults when they are no number.
AppSettings LoadSettings(platform::SettingsStore& store, const std::string& default_download_dir);

// The browser of kCookieBrowsers that `text` names, in any letter case;
// empty when it names none.
std::string CookieBrowserOf(const std::string& text);

// Whether a stored download folder can be used as it is: a full path. An
// empty or relative one would send files wherever the program runs.
bool IsFullPath(const std::string& folder);

// Writes the monitor switch ("True" or "False"), the folder, the keep switch,
// the other-sites switch, the notify switch, the yt-dlp switch, then the
// connections, the downloads at once and the speed limit as decimal numbers.
// Last the cookies' browser and file. A value the store refuses keeps what
// it held.
void SaveSettings(platform::SettingsStore& store, const AppSettings& settings);

} // namespace tarnwick::settings
