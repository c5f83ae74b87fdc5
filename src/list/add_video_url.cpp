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

int SiteFor(const std::string& address, bool other_sites) {
    const int site = resolve::GetSiteIndex(address);
    if (site == resolve::kSiteNone && other_sites && IsWebAddress(address)) {
        return resolve::kSiteGeneral;
    }
    return site;
}

DownloadQueue::AddResult AddVideoURL(DownloadQueue& queue, const std::string& address,
                                     bool other_sites) {
    DownloadItem item;
    item.page_address = address;
    item.site = SiteFor(address, other_sites);
    item.name_kind =
        item.site == resolve::kSiteNone ? NameKind::kNotSupported : NameKind::kAutoDetect;
    return queue.Add(std::move(item));
}

} // namespace tarnwick::list
