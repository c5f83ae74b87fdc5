#include "list/queued_list_store.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace tarnwick::list {

using platform::StoredItem;

platform::LoadedList QueuedListStore::LoadAll() {
    platform::LoadedList loaded = store_.LoadAll();
    for (const StoredItem& item : loaded.items) next_id_ = std::max(next_id_, item.id + 1);
    return loaded;
}

Result<int64_t> QueuedListStore::Insert(const StoredItem& item) {
    StoredItem given = item;
    given.id = next_id_++;
    const int64_t id = given.id;
    Queue([given = std::move(given)](platform::ListStore& store) -> Status {
        const Result<int64_t> inserted = store.Insert(given);
        if (!inserted) return inserted.failure();
        if (inserted.value() != given.id) {
            return platform::StoreWriteFailure("the list's file gave the item another record");
        }
        return {};
    });
    return id;
}

Status QueuedListStore::Update(const StoredItem& item) {
    Queue([item](platform::ListStore& store) { return store.Update(item); });
    return {};
}

Status QueuedListStore::Remove(int64_t id) {
    Queue([id](platform::ListStore& store) { return store.Remove(id); });
    return {};
}

Status QueuedListStore::Apply(const std::vector<StoredItem>& updates,
                              const std::vector<int64_t>& removals) {
    Queue(
        [updates, removals](platform::ListStore& store) { return store.Apply(updates, removals); });
    return {};
}

Status QueuedListStore::SwapOrder(int64_t first, int64_t second) {
    Queue([first, second](platform::ListStore& store) { return store.SwapOrder(first, second); });
    return {};
}

Status QueuedListStore::Clear() {
    Queue([](platform::ListStore& store) { return store.Clear(); });
    return {};
}

Result<std::vector<int64_t>> QueuedListStore::ReplaceAll(const std::vector<StoredItem>& items) {
    std::vector<StoredItem> given = items;
    std::vector<int64_t> ids;
    ids.reserve(given.size());
    for (StoredItem& item : given) {
        item.id = next_id_++;
        ids.push_back(item.id);
    }
    Queue(
        [given = std::move(given), ids](platform::ListStore& store) -> Status {
            const Result<std::vector<int64_t>> kept = store.ReplaceAll(given);
            if (!kept) return kept.failure();
            if (kept.value() != ids) {
                return platform::StoreWriteFailure("the list's file gave the items other records");
            }
            return {};
        },
        true);
    return ids;
}

Status QueuedListStore::Record(const platform::HistoryEntry& entry) {
    Queue([entry](platform::ListStore& store) { return store.Record(entry); });
    return {};
}

void QueuedListStore::Queue(Write write, bool whole) {
    const uint64_t number = ++made_;
    if (whole) last_whole_ = number;
    auto written = std::make_shared<std::optional<Status>>();
    // The work may run after this has gone, as the program ends.
    platform::BackgroundWork::Ticket ticket = work_.Run(
        [&store = store_, write = std::move(write), written] {
            *written = write(store);
            return 0;
        },
        [this, number](int) { Ended(number); });
    waiting_[number] = {std::move(ticket), std::move(written), whole};
}

void QueuedListStore::EndWrites() {
    const uint64_t last = made_;
    work_.WaitForAll();
    // In their order; what the listener writes meanwhile waits for its turn.
    while (!waiting_.empty() && waiting_.begin()->first <= last) Ended(waiting_.begin()->first);
}

void QueuedListStore::Ended(uint64_t number) {
    const auto found = waiting_.find(number);
    if (found == waiting_.end() || !found->second.written->has_value()) return;
    const Status written = **found->second.written;
    const bool whole = found->second.whole;
    waiting_.erase(found);
    if (listener_ == nullptr) return;
    if (!written) {
        // A whole list written since takes the place of whatever this held.
        if (number >= last_whole_) listener_->OnWriteFailed(written.failure());
        return;
    }
    if (whole && number == last_whole_) listener_->OnWholeListKept();
}

} // namespace tarnwick::list
