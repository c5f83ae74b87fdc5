#include "shell/item_ends.h"

#include <utility>

namespace tarnwick::shell {

ItemEnds::ItemEnds(list::DownloadQueue& queue, Handler on_end)
    : queue_(queue), on_end_(std::move(on_end)) {
    queue_.AddObserver(this);
}

ItemEnds::~ItemEnds() { queue_.RemoveObserver(this); }

void ItemEnds::OnChanged(int position, unsigned fields) {
    if ((fields & list::kFieldStatus) == 0) return;
    const list::DownloadItem& item = queue_.At(position);
    switch (item.state) {
        case list::ItemState::kPreparing:
        case list::ItemState::kStarting:
        case list::ItemState::kDownloading: under_way_.insert(item.key); break;
        case list::ItemState::kComplete:
        case list::ItemState::kFailed:
            if (under_way_.erase(item.key) > 0) on_end_(item);
            break;
        case list::ItemState::kWaiting:
        case list::ItemState::kCancelled: under_way_.erase(item.key); break;
    }
}

void ItemEnds::OnRemoving(int position) { under_way_.erase(queue_.At(position).key); }

} // namespace tarnwick::shell
