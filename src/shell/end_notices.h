// Tells the desktop when an item ends, complete or failed, while the user is
// not at the window and the "Notify" setting is on. A complete item's
// notification offers to open its file.
#pragma once

#include "list/download_queue.h"
#include "platform/notifier.h"
#include "platform/shell_launch.h"
#include "settings/application_settings.h"
#include "shell/item_ends.h"
#include "shell/status_line.h"

#include <cstdint>
#include <map>
#include <string>

namespace tarnwick::shell {

inline constexpr const char* kCompleteTitle = "Download complete";
inline constexpr const char* kFailedTitle = "Download failed";

struct EndNoticeServices {
    list::DownloadQueue& queue;
    platform::Notifier& notifier;
    platform::ShellLaunch& launch;
    const settings::AppSettings& settings;
    // Where a file that cannot be opened is told.
    StatusMessages& messages;
};

class EndNotices : private platform::NotificationListener {
public:
    // The files of the latest notifications that can still be opened.
    static constexpr size_t kMostOpenable = 100;

    explicit EndNotices(EndNoticeServices services);
    ~EndNotices() override;
    EndNotices(const EndNotices&) = delete;
    EndNotices& operator=(const EndNotices&) = delete;

private:
    void OnItemEnded(const list::DownloadItem& item);
    void OnOpenChosen(uint64_t tag) override;

    EndNoticeServices s_;
    ItemEnds ends_;
    // The file each notification with "Open" names, by its tag.
    std::map<uint64_t, std::string> files_;
    uint64_t last_tag_ = 0;
};

} // namespace tarnwick::shell
