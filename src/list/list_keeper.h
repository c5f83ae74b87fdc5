// Keeps the download list in a store while it changes, and brings it back
// when the program starts again. Each change of the queue is one write of at
// most two records. The progress of an item under way is written at most
// once a second, and every other change of an item at once, its end too.
#pragma once

#include "list/download_queue.h"
#include "list/key_table.h"
#include "platform/clock.h"
#include "platform/list_store.h"

#include <memory>
#include <unordered_set>

namespace tarnwick::list {

class ListKeeper : private QueueObserver {
public:
    static constexpr platform::Duration kProgressInterval{1000};

    ListKeeper(DownloadQueue& queue, platform::ListStore& store, platform::Clock& clock);
    ~ListKeeper() override;
    ListKeeper(const ListKeeper&) = delete;
    ListKeeper& operator=(const ListKeeper&) = delete;

    // Lists what the store keeps, in its order, and keeps the list from now
    // on. Items that were under way when the program ended wait again, with
    // their names, sizes and kept bytes. Meant for an empty queue.
    void Restore();
    // On: the list as it is now replaces what the store held, and is kept
    // from now on. Off: the store is emptied and nothing is kept.
    void SetKeeping(bool keep);
    bool IsKeeping() const { return keeping_; }
    // What opening the store found.
    platform::StoreOpening Opening() const { return store_.Opening(); }
    // Writes the progress that waits for its second.
    void Flush();

private:
    void OnInserted(int position) override;
    void OnRemoving(int position) override;
    void OnMoved(int from, int to) override;
    void OnChanged(int position, unsigned fields) override;

    void Insert(const DownloadItem& item);
    void Write(const DownloadItem& item);
    void NoteWritten(const DownloadItem& item);
    void WriteDueProgress();

    DownloadQueue& queue_;
    platform::ListStore& store_;
    platform::Clock& clock_;
    std::unique_ptr<platform::Timer> progress_timer_;
    bool keeping_ = false;
    // Each listed item's record in the store.
    KeyTable<int64_t> records_;
    // When the items last written under way were written, with their state
    // then: their progress waits for its second from there.
    struct Written {
        platform::TimePoint at{};
        ItemState state = ItemState::kWaiting;
    };
    KeyTable<Written> under_way_;
    // Items whose progress waits for its second.
    std::unordered_set<ItemKey> due_;
};

// An item as the store keeps it, and back. An item under way comes back
// waiting; codes the program does not know come back as their defaults.
platform::StoredItem ToStored(const DownloadItem& item, int64_t id);
DownloadItem FromStored(const platform::StoredItem& stored);

} // namespace tarnwick::list
