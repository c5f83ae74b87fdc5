#include "shell/address_entry.h"

#include "list/add_video_url.h"
#include "resolve/page_address.h"

namespace tarnwick::shell {

list::DownloadQueue::AddResult AddressEntry::Enter(const std::string& text) {
    const std::string address = resolve::CleanAddress(text);
    if (address.empty()) return list::DownloadQueue::AddResult::kDuplicate;
    return list::AddVideoURL(queue_, address, settings_.other_sites);
}

std::string AddressEntry::Add(const std::string& text) {
    std::string address = resolve::CleanAddress(text);
    if (address.empty()) return address;
    switch (Enter(address)) {
        case list::DownloadQueue::AddResult::kAdded: break;
        case list::DownloadQueue::AddResult::kDuplicate:
            messages_.ShowMessage(
                "This address is already in the list, as item " +
                std::to_string(queue_.PositionOf(*queue_.KeyOfAddress(address)) + 1));
            break;
        case list::DownloadQueue::AddResult::kFull:
            messages_.ShowMessage("The list is full: remove finished items to add more");
            break;
    }
    return address;
}

} // namespace tarnwick::shell
