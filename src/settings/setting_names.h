// The names of the stored settings and what they hold when nothing is stored.
#pragma once

namespace tarnwick::settings {

// The clipboard monitor switch: "True" or "False" as written.
inline constexpr const char* kMonitorSetting = "URL Mon";
inline constexpr const char* kMonitorDefault = "true";
// The download folder, as chosen.
inline constexpr const char* kDownloadDirSetting = "Download Dir";
// Whether the list is kept when the program closes: "True" or "False".
inline constexpr const char* kKeepListSetting = "Keep List";
// Whether pages of other sites are read for their video: "True" or "False".
inline constexpr const char* kOtherSitesSetting = "Other Sites";
// Where the window was left: "left,top,width,height" on the desktop while
// it is neither maximised nor minimised, and whether it was maximised
// ("True" or "False").
inline constexpr const char* kWindowGeometrySetting = "Window Geometry";
inline constexpr const char* kWindowMaximizedSetting = "Window Maximized";
// The download grid's column widths as the user left them, in pixels, in
// the grid's order: "46,262,151,130,79".
inline constexpr const char* kColumnWidthsSetting = "Column Widths";
// Whether the desktop is told when an item ends: "True" or "False".
inline constexpr const char* kNotifySetting = "Notify";
// Whether yt-dlp, when installed, is asked for the videos of other sites:
// "True" or "False".
inline constexpr const char* kUseYtDlpSetting = "Use yt-dlp";
// How many connections one download opens, how many items download at once,
// and the speed limit in KB/s (0 for none): decimal numbers.
inline constexpr const char* kConnectionsSetting = "Connections";
inline constexpr const char* kDownloadsAtOnceSetting = "Parallel Downloads";
inline constexpr const char* kSpeedLimitSetting = "Speed limit";
// The browser whose cookies yt-dlp reads ("firefox", "chromium", "chrome",
// "brave", "vivaldi", "edge" or "opera"; empty for none), and the path of a
// Netscape cookies.txt that the program's requests and yt-dlp use.
inline constexpr const char* kCookiesFromSetting = "Cookies From";
inline constexpr const char* kCookieFileSetting = "Cookie File";
// The tallest picture wanted ("best", "2160", "1440", "1080", "720", "480"
// or "360") and the container preferred ("mp4", "mkv" or "best").
inline constexpr const char* kQualitySetting = "Quality";
inline constexpr const char* kFormatSetting = "Format";
// The sound alone instead of the video ("off", "m4a", "mp3" or "opus"); the
// subtitle languages in order ("en, de"; empty for none); whether automatic
// subtitles stand in, and whether subtitles go inside the video ("True" or
// "False").
inline constexpr const char* kSoundOnlySetting = "Sound Only";
inline constexpr const char* kSubtitlesSetting = "Subtitles";
inline constexpr const char* kAutomaticSubtitlesSetting = "Automatic Subtitles";
inline constexpr const char* kSubtitlesInsideSetting = "Subtitles Inside";
// Whether a video the history holds is downloaded again ("True" or "False").
inline constexpr const char* kDownloadAgainSetting = "Download Again";
// The default download folder's name; on Windows it sits at the root of
// drive C, elsewhere in the user's home folder.
inline constexpr const char* kDefaultDownloadFolder = "Downloaded Videos";

} // namespace tarnwick::settings
