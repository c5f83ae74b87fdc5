// A list store whose writes wait their turn away from the caller: each one
// goes to background work, in the order made, and the caller goes on at once.
// A busy disk, or the log being written into the file, then holds up the
// writes but never the window. The order is kept, so the list on disk is
// always one the program held, never ahead of what it did before.
//
// The ids of new records are given here, at once, counting on from the
// largest one read; the store wrapped keeps them as given. A write that fails
// is told to the listener from the event loop, but not where a whole list
// written after it has taken its place.
#pragma once

#include "platform/background_work.h"
#include "platform/list_store.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace tarnwick::list {

class QueuedListStore final : public platform::ListStore {
public:
    // `store` is used from the background work's thread for every write, and
    // from the caller's for the opening and load: it must take both. It
    // outlives the work given to `work`.
    QueuedListStore(platform::ListStore& store, platform::BackgroundWork& work)
        : store_(store), work_(work) {}

    bool EndsWritesLater() const override { return true; }
    void SetLateWrites(platform::LateWrites* listener) override { listener_ = listener; }
    // Holds the caller until the writes taken have run.
    void EndWrites() override;

    platform::StoreOpening Opening() const override { return store_.Opening(); }
    // Read at once, on the caller's thread: meant for before the first write.
    platform::LoadedList LoadAll() override;
    Result<int64_t> Insert(const platform::StoredItem& item) override;
    Status Update(const platform::StoredItem& item) override;
    Status Remove(int64_t id) override;
    Status Apply(const std::vector<platform::StoredItem>& updates,
                 const std::vector<int64_t>& removals) override;
    Status SwapOrder(int64_t first, int64_t second) override;
    Status Clear() override;
    Result<std::vector<int64_t>> ReplaceAll(
        const std::vector<platform::StoredItem>& items) override;
    Status Record(const platform::HistoryEntry& entry) override;

private:
    using Write = std::function<Status(platform::ListStore&)>;
    // Gives the write to the work after the ones before it.
    void Queue(Write write, bool whole = false);
    // Tells how the write numbered `number` ended, once.
    void Ended(uint64_t number);

    platform::ListStore& store_;
    platform::BackgroundWork& work_;
    platform::LateWrites* listener_ = nullptr;
    int64_t next_id_ = 1;
    // Each write is numbered in its order.
    uint64_t made_ = 0;
    // The last whole list's write; 0 before the first.
    uint64_t last_whole_ = 0;
    struct Taken {
        platform::BackgroundWork::Ticket ticket;
        // Set by the work once the write has run.
        std::shared_ptr<std::optional<Status>> written;
        bool whole = false;
    };
    // The writes whose end is still to be told, by number.
    std::map<uint64_t, Taken> waiting_;
};

} // namespace tarnwick::list
