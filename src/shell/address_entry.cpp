#include "shell/address_entry.h"

#include "list/add_video_url.h"
#include "resolve/page_address.h"
#include "resolve/video_identity.h"

namespace tarnwick::shell {

list::DownloadQueue::AddResult AddressEntry::Enter(const std::string& text, list::Origin origin,
                                                   const std::string& identity, bool again) {
    const std::string address = resolve::CleanAddress(text);
    if (address.empty()) return list::DownloadQueue::AddResult::kDuplicate;
    if (queue_.HasAddress(address)) return list::DownloadQueue::AddResult::kDuplicate;
    if (past_ != nullptr && !again) {
        // A site's video is known by its id, whichever of its addresses it came by.
        const std::string known =
            identity.empty()
                ? resolve::SiteIdentity(list::SiteFor(address, settings_.other_sites), address)
                : identity;
        if (std::optional<platform::HistoryEntry> before = past_->Before(address, known)) {
            before_ = std::move(*before);
            return list::DownloadQueue::AddResult::kDownloadedBefore;
        }
    }
    const list::DownloadQueue::AddResult added =
        list::AddVideoURL(queue_, address, settings_.other_sites);
    if (added == list::DownloadQueue::AddResult::kAdded && origin != list::Origin::kTyped) {
        queue_.Modify(queue_.LastKey(),
                      [&](list::DownloadItem& item) { item.rare->origin = origin; });
    }
    return added;
}

std::string AddressEntry::Add(const std::string& text, list::Origin origin, bool again) {
    std::string address = resolve::CleanAddress(text);
    if (address.empty()) return address;
    switch (Enter(address, origin, {}, again)) {
        case list::DownloadQueue::AddResult::kAdded: break;
        case list::DownloadQueue::AddResult::kDuplicate:
            messages_.ShowMessage(
                "This address is already in the list, as item " +
                std::to_string(queue_.PositionOf(*queue_.KeyOfAddress(address)) + 1));
            break;
        case list::DownloadQueue::AddResult::kDownloadedBefore:
            messages_.ShowMessage(DownloadedBeforeText(before_));
            break;
        case list::DownloadQueue::AddResult::kFull:
            messages_.ShowMessage("The list is full: remove finished items to add more");
            break;
    }
    return address;
}

} // namespace tarnwick::shell
