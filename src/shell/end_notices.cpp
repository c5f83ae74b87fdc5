#include "shell/end_notices.h"

#include "list/item_texts.h"
#include "list/reason_texts.h"
#include "platform/app_paths.h"

namespace tarnwick::shell {
namespace {

// The item as the user knows it: its file's name, or its page's address.
std::string NameOf(const list::DownloadItem& item) {
    return item.name_kind == list::NameKind::kNamed ? item.name : item.page_address;
}

} // namespace

EndNotices::EndNotices(EndNoticeServices services)
    : s_(services), ends_(s_.queue, [this](const list::DownloadItem& item) { OnItemEnded(item); }) {
    s_.notifier.SetListener(this);
}

EndNotices::~EndNotices() { s_.notifier.SetListener(nullptr); }

void EndNotices::OnItemEnded(const list::DownloadItem& item) {
    if (!s_.settings.notify || s_.notifier.WindowIsActive()) return;
    platform::Notification notification;
    if (item.state == list::ItemState::kComplete) {
        notification.title = kCompleteTitle;
        notification.text = item.name;
        notification.open_tag = ++last_tag_;
        files_[last_tag_] = platform::JoinPath(s_.settings.download_dir, item.name);
        if (files_.size() > kMostOpenable) files_.erase(files_.begin());
    } else {
        notification.title = kFailedTitle;
        notification.text = NameOf(item) + "\n" + list::ReasonText(item);
    }
    s_.notifier.Notify(notification);
}

void EndNotices::OnOpenChosen(uint64_t tag) {
    const auto found = files_.find(tag);
    if (found == files_.end()) return;
    StatusMessages& messages = s_.messages;
    const std::string path = found->second;
    s_.launch.OpenDocument(path, "", [&messages, path](platform::Opened how) {
        if (how != platform::Opened::kYes) messages.ShowMessage("No program could open " + path);
    });
}

} // namespace tarnwick::shell
