// Hears from the queue's changes when an item that was under way ends
// complete or failed: the moments a user waits for.
#pragma once

#include "list/download_queue.h"

#include <functional>
#include <unordered_set>

namespace tarnwick::shell {

class ItemEnds : private list::QueueObserver {
public:
    using Handler = std::function<void(const list::DownloadItem& item)>;

    ItemEnds(list::DownloadQueue& queue, Handler on_end);
    ~ItemEnds() override;
    ItemEnds(const ItemEnds&) = delete;
    ItemEnds& operator=(const ItemEnds&) = delete;

private:
    void OnChanged(int position, unsigned fields) override;
    void OnRemoving(int position) override;

    list::DownloadQueue& queue_;
    Handler on_end_;
    std::unordered_set<list::ItemKey> under_way_;
};

} // namespace tarnwick::shell
