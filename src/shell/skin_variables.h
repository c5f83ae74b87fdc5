// The skin's named variables that the program writes or reads, and the one
// routine through which every write goes.
#pragma once

#include "platform/skin_player.h"

#include <string>

namespace tarnwick::shell {

// Read and written: the page address in the skin's address field.
inline constexpr const char* kSkinVideoUrl = "_root.video_url";
// Written: the download directory.
inline constexpr const char* kSkinDownloadDir = "_root.download_dir";
// Written: "1" while the clipboard monitor is on, "0" when off.
inline constexpr const char* kSkinMonitorCheck = "_root.autoToDownloadList_CB";
// Written: "1" while the list is kept when the program closes, "0" when not.
inline constexpr const char* kSkinKeepListCheck = "_root.keepList_CB";
// Written: "1" while pages of other sites are read for their video.
inline constexpr const char* kSkinOtherSitesCheck = "_root.otherSites_CB";
// Written: "1" while yt-dlp is asked for the videos of other sites.
inline constexpr const char* kSkinYtDlpCheck = "_root.ytDlp_CB";
// Whether a video downloaded before is downloaded again ("1" checked).
inline constexpr const char* kSkinDownloadAgainCheck = "_root.downloadAgain_CB";
// The History page (shell/history_page.h).
inline constexpr const char* kSkinHistorySearch = "_root.historySearch";
inline constexpr const char* kSkinHistoryRows = "_root.historyRows";
inline constexpr const char* kSkinHistoryCount = "_root.historyCount";
inline constexpr const char* kSkinHistoryFirst = "_root.historyFirst";
inline constexpr const char* kSkinHistoryShown = "_root.historyShown";
inline constexpr const char* kSkinHistorySelected = "_root.historySelected";
// Read and written: the connections per download, the downloads at once and
// the speed limit in KB/s ("0" for none), as decimal numbers.
inline constexpr const char* kSkinConnections = "_root.connections_NS";
inline constexpr const char* kSkinDownloadsAtOnce = "_root.downloadsAtOnce_NS";
inline constexpr const char* kSkinSpeedLimit = "_root.speedLimit_NS";
// Read and written: the browser yt-dlp reads cookies from, as stored ("" for
// none). Written: the cookie file's full path ("" for none).
inline constexpr const char* kSkinCookiesFrom = "_root.cookiesFrom_NS";
// The quality cap and the container preferred, as stored ("720", "mkv").
inline constexpr const char* kSkinQuality = "_root.quality_NS";
inline constexpr const char* kSkinFormat = "_root.format_NS";
// The sound alone ("off", "m4a", "mp3", "opus") and the subtitle languages
// ("en, de"; "" for none), as stored; "1" while automatic subtitles stand in,
// and while subtitles go inside the video.
inline constexpr const char* kSkinSoundOnly = "_root.soundOnly_NS";
inline constexpr const char* kSkinSubtitles = "_root.subtitles_NS";
inline constexpr const char* kSkinAutoSubtitlesCheck = "_root.autoSubtitles_CB";
inline constexpr const char* kSkinSubtitlesInsideCheck = "_root.subtitlesInside_CB";
inline constexpr const char* kSkinCookieFile = "_root.cookieFile_NS";
// Written: always "1".
inline constexpr const char* kSkinDownloadCheck = "_root.Download_CB";
inline constexpr const char* kSkinConvertCheck = "_root.Convert_CB";
// Written: "0" while a run is under way, "1" otherwise.
inline constexpr const char* kSkinStartDownload = "_root.startDownload";
inline constexpr const char* kSkinDownloadButton = "_root.downloadBtn";
inline constexpr const char* kSkinDownloadTab = "_root.downloadTab";
// Written: "1" when a run starts while the about page is open.
inline constexpr const char* kSkinDownloadButtonTab = "_root.downloadBtnTab";
// Written: the about text.
inline constexpr const char* kSkinAboutText = "_root.aboutTxt";
// Written: which yt-dlp there is, shown on the about page.
inline constexpr const char* kSkinYtDlpText = "_root.ytDlpTxt";
// Written: the status line at the bottom of the window, a plain text.
// Written: "About" or "Download": the skin opens that page as its tab does,
// and sends the tab's command.
inline constexpr const char* kSkinPage = "_root.page";
inline constexpr const char* kSkinStatusText = "_root.statusTxt";

inline void SetSkinVariable(platform::SkinPlayer& skin, const std::string& path,
                            const std::string& value) {
    skin.SetVariable(path, value);
}

} // namespace tarnwick::shell
