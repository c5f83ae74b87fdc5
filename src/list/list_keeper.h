// Keeps the download list in a store while it changes, and brings it back
// when the program starts again. Each change of the queue is one write of at
// most two records, but for items put back in their places (an undone
// removal): they are one write of the whole list. The progress of an item under way is written at
// most once a second, and every other change of an item at once, its end too.
// With a store that ends its writes later, the keeper waits for a write only
// where files wait for it: a download's files are made or dropped once the
// list says so.
//
// When a write fails, the list is no longer kept write by write: the keeper
// says so once and writes the whole list in one transaction every
// kRetryInterval until that works. When the store's file has gone (removed,
// or its folder removed), the whole list is written anew at once. With a
// store that ends its writes later, a failure is heard later, and the list is
// said to be kept again once the store has kept it.
#pragma once

#include "list/download_queue.h"
#include "list/record_table.h"
#include "platform/clock.h"
#include "platform/list_store.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tarnwick::list {

// What happened to the keeping of the list while the program runs.
struct KeepingNews {
    enum class Kind {
        // Writes fail: the list is not kept for now.
        kLost,
        // After kLost: the whole list is kept again.
        kBack,
        // The store's file had gone: the whole list was written anew.
        kRewritten,
    };
    Kind kind = Kind::kLost;
    // kLost: why, in the system's words.
    std::string problem;

    bool operator==(const KeepingNews&) const = default;
};

class KeepingListener {
public:
    virtual ~KeepingListener() = default;
    // Once for each change, not for each write.
    virtual void OnKeepingNews(const KeepingNews& news) = 0;
};

class ListKeeper : private QueueObserver, private platform::LateWrites {
public:
    static constexpr platform::Duration kProgressInterval{1000};
    static constexpr platform::Duration kRetryInterval{60000};

    ListKeeper(DownloadQueue& queue, platform::ListStore& store, platform::Clock& clock);
    ~ListKeeper() override;
    ListKeeper(const ListKeeper&) = delete;
    ListKeeper& operator=(const ListKeeper&) = delete;

    // Lists what the store keeps, in its order, and keeps the list from now
    // on (unless the store is unusable). Items that were under way when the
    // program ended wait again, with their names, sizes, kept bytes and how
    // they were resolved. Meant
    // for an empty queue. False when the kept list was not read whole: it may
    // own files that no listed item owns.
    bool Restore();
    // On: the list as it is now replaces what the store held, in one write,
    // and is kept from now on. Off: the store is emptied and nothing is kept.
    void SetKeeping(bool keep);
    // What opening the store found.
    platform::StoreOpening Opening() const { return store_.Opening(); }
    // Writes the progress that waits for its second, or the whole list when
    // it waits to be written again, and waits for the store to have written
    // it: for the program's end.
    void Flush();
    // Where the news of the keeping goes; nullptr for nowhere.
    void SetListener(KeepingListener* listener) { listener_ = listener; }

private:
    void OnInserted(int position) override;
    void OnRemoving(int position) override;
    void OnMoved(int from, int to) override;
    void OnChanged(int position, unsigned fields) override;
    void OnBatchBegin() override { in_batch_ = true; }
    void OnBatchEnd() override;
    void OnWriteFailed(const Failure& failure) override;
    void OnWholeListKept() override;

    void Insert(const DownloadItem& item);
    platform::StoredItem Stored(const DownloadItem& item, int64_t id) const;
    void NoteCompletion(const DownloadItem& item);
    void RecordAlone(const DownloadItem& item);
    void Write(const DownloadItem& item);
    void NoteWritten(const DownloadItem& item);
    void WriteWhatWaits();
    void OnTimer();
    void WriteDueProgress();
    // Takes note of a write's end: after a failure, the store no longer
    // holds the list, and the whole list waits to be written.
    void Check(const Status& written);
    Status ReplaceAll();
    void WriteWholeList();
    void WholeListFailed(const Failure& failure);
    // The whole list is kept: says so where it was lost or rewritten.
    void TellKept();
    void Forget();
    void Tell(const KeepingNews& news);
    void ForgetUnderWay(ItemKey key);

    // An item last written under way: its progress waits for its second from
    // `written_at`, while its state stays the one written.
    struct UnderWay {
        ItemKey key = 0;
        platform::TimePoint written_at{};
        ItemState state = ItemState::kWaiting;
        // Its progress waits to be written.
        bool due = false;
    };
    UnderWay* FindUnderWay(ItemKey key);

    DownloadQueue& queue_;
    platform::ListStore& store_;
    platform::Clock& clock_;
    // While the store holds the list: when the next progress is due. While
    // it does not (stale_): when the whole list is written again.
    std::unique_ptr<platform::Timer> timer_;
    KeepingListener* listener_ = nullptr;
    bool keeping_ = false;
    // The store does not hold the list as it is: the whole list waits to be
    // written, and single changes are not.
    bool stale_ = false;
    // The user was told that the list is not kept.
    bool told_lost_ = false;
    // The whole list was written to make up for a failure, and the news of
    // it waits for the store to have kept it.
    bool news_waits_ = false;
    // Each listed item's record in the store.
    RecordTable records_;
    // The run has an item or two under way at a time, never many.
    std::vector<UnderWay> under_way_;
    // Within a batch, what it removed and changed is written at its end, in
    // one write.
    bool in_batch_ = false;
    std::unordered_set<ItemKey> batch_removed_;
    std::vector<ItemKey> batch_changed_;
    // Items went in: the whole list is written at the batch's end.
    bool batch_inserted_ = false;
    // A change in the batch makes or drops files, which wait for its write.
    bool batch_files_wait_ = false;
    // When each complete item completed, as far as the history knows of it.
    std::unordered_map<ItemKey, int64_t> completions_;
    // The completions that wait for their item's write to go into the history.
    std::unordered_set<ItemKey> unrecorded_;
};

// An item as the store keeps it, and back. An item under way comes back
// waiting; codes the program does not know come back as their defaults.
platform::StoredItem ToStored(const DownloadItem& item, int64_t id);
DownloadItem FromStored(const platform::StoredItem& stored);

} // namespace tarnwick::list
