#include "shell/ytdlp_notices.h"

#include "shell/skin_variables.h"

namespace tarnwick::shell {

YtDlpNotices::YtDlpNotices(YtDlpNoticeServices services) : s_(services) {
    s_.tool.AddWatcher(this);
}

YtDlpNotices::~YtDlpNotices() { s_.tool.RemoveWatcher(this); }

void YtDlpNotices::LookAgain() {
    s_.tool.Find();
    // Find tells nothing when nothing changed, as when there is still none.
    ShowDescription();
}

void YtDlpNotices::OnYtDlpFound() { ShowDescription(); }

void YtDlpNotices::OnYtDlpOld(const std::string& warning) {
    s_.messages.ShowMessage(warning, kOldWarningTime);
}

void YtDlpNotices::ShowDescription() {
    SetSkinVariable(s_.skin, kSkinYtDlpText, s_.tool.Description());
}

} // namespace tarnwick::shell
