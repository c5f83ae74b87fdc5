#include "list/add_video_url.h"

#include "resolve/site_index.h"

namespace tarnwick::list {

DownloadQueue::AddResult AddVideoURL(DownloadQueue& queue, const std::string& address) {
    DownloadItem item;
    item.page_address = address;
    item.site = resolve::GetSiteIndex(address);
    item.name_kind =
        item.site == resolve::kSiteNone ? NameKind::kNotSupported : NameKind::kAutoDetect;
    return queue.Add(std::move(item));
}

} // namespace tarnwick::list
