// What the user sees of their yt-dlp: which one there is, on the about page,
// kept up to date as it is looked for, and, once, on the status line, that it
// is too old to keep up with the sites.
#pragma once

#include "driver/ytdlp_tool.h"
#include "platform/clock.h"
#include "platform/skin_player.h"
#include "shell/status_line.h"

#include <string>

namespace tarnwick::shell {

struct YtDlpNoticeServices {
    driver::YtDlpTool& tool;
    platform::SkinPlayer& skin;
    StatusMessages& messages;
};

class YtDlpNotices : private driver::YtDlpWatcher {
public:
    // Long enough to read the warning, and the command that ends it.
    static constexpr platform::Duration kOldWarningTime{10000};

    explicit YtDlpNotices(YtDlpNoticeServices services);
    ~YtDlpNotices() override;
    YtDlpNotices(const YtDlpNotices&) = delete;
    YtDlpNotices& operator=(const YtDlpNotices&) = delete;

    // Looks for yt-dlp now and shows what was found on the about page; its
    // version follows once read. At start-up, and whenever the about page
    // opens, so that a yt-dlp installed meanwhile shows.
    void LookAgain();

private:
    void OnYtDlpFound() override;
    void OnYtDlpOld(const std::string& warning) override;
    void ShowDescription();

    YtDlpNoticeServices s_;
};

} // namespace tarnwick::shell
