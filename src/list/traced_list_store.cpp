#include "list/traced_list_store.h"

#include <string>

namespace tarnwick::list {
namespace {

using platform::TraceArea;

} // namespace

template <typename T>
Result<T> TracedListStore::Traced(const char* write, Result<T> result) const {
    if (!result) {
        trace_.Note(TraceArea::kStore, [&] {
            const Failure& failure = result.failure();
            return std::string(write) +
                   (platform::IsStoreGone(failure) ? " found the file gone" : " failed") +
                   (failure.detail.empty() ? "" : ": " + failure.detail);
        });
    }
    return result;
}

platform::StoreOpening TracedListStore::Opening() const {
    platform::StoreOpening opening = store_.Opening();
    if (!opening.moved_aside_to.empty()) {
        trace_.Note(TraceArea::kStore,
                    [&] { return "the list was moved aside to " + opening.moved_aside_to; });
    }
    if (!opening.unusable_reason.empty()) {
        trace_.Note(TraceArea::kStore,
                    [&] { return "the list cannot be kept: " + opening.unusable_reason; });
    }
    return opening;
}

platform::LoadedList TracedListStore::LoadAll() {
    platform::LoadedList loaded = store_.LoadAll();
    if (!loaded.whole) {
        trace_.Note(TraceArea::kStore, [&] {
            return "load read " + std::to_string(loaded.items.size()) +
                   " items, not the whole list";
        });
    }
    return loaded;
}

Result<int64_t> TracedListStore::Insert(const platform::StoredItem& item) {
    return Traced("insert", store_.Insert(item));
}

Status TracedListStore::Update(const platform::StoredItem& item) {
    return Traced("update", store_.Update(item));
}

Status TracedListStore::Remove(int64_t id) { return Traced("remove", store_.Remove(id)); }

Status TracedListStore::Apply(const std::vector<platform::StoredItem>& updates,
                              const std::vector<int64_t>& removals) {
    return Traced("apply", store_.Apply(updates, removals));
}

Status TracedListStore::SwapOrder(int64_t first, int64_t second) {
    return Traced("swap", store_.SwapOrder(first, second));
}

Status TracedListStore::Clear() { return Traced("clear", store_.Clear()); }

Result<std::vector<int64_t>> TracedListStore::ReplaceAll(
    const std::vector<platform::StoredItem>& items) {
    return Traced("replace", store_.ReplaceAll(items));
}

Status TracedListStore::Record(const platform::HistoryEntry& entry) {
    return Traced("record", store_.Record(entry));
}

} // namespace tarnwick::list
