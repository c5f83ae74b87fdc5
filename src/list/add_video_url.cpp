#include "list/add_video_url.h"

#include "common/text.h"
#include "resolve/site_index.h"

namespace tarnwick::list {

namespace {

bool IsWebAddress(const std::string& address) {
    return text::StartsWithIgnoreCase(address, "http://") ||
           text::StartsWithIgnoreCase(address, "https://");
}

} // namespace

DownloadQueue::AddResult AddVideoURL(DownloadQueue& queue, const std::string& address,
                                     bool other_sites) {
    DownloadItem item;
    item.page_address = address;
    item.site = resolve::GetSiteIndex(address);
    if (item.site == resolve::kSiteNone && other_sites && IsWebAddress(address)) {
        item.site = resolve::kSiteGeneral;
    }
    item.name_kind =
        item.site == resolve::kSiteNone ? NameKind::kNotSupported : NameKind::kAutoDetect;
    return queue.Add(std::move(item));
}

} // namespace tarnwick::list
