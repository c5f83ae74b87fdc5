#include "list/traced_list_store.h"

#include <string>

namespace tarnwick::list {
namespace {

using platform::TraceArea;
using platform::WriteStatus;

const char* StatusWord(WriteStatus status) {
    switch (status) {
        case WriteStatus::kDone: return "done";
        case WriteStatus::kFailed: return "failed";
        case WriteStatus::kGone: return "found the file gone";
    }
    return "failed";
}

} // namespace

template <typename Result>
Result TracedListStore::Traced(const char* write, Result result) const {
    if (!result.Done()) {
        trace_.Note(TraceArea::kStore, [&] {
            return std::string(write) + " " + StatusWord(result.status) +
                   (result.problem.empty() ? "" : ": " + result.problem);
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

platform::InsertResult TracedListStore::Insert(const platform::StoredItem& item) {
    return Traced("insert", store_.Insert(item));
}

platform::WriteResult TracedListStore::Update(const platform::StoredItem& item) {
    return Traced("update", store_.Update(item));
}

platform::WriteResult TracedListStore::Remove(int64_t id) {
    return Traced("remove", store_.Remove(id));
}

platform::WriteResult TracedListStore::Apply(const std::vector<platform::StoredItem>& updates,
                                             const std::vector<int64_t>& removals) {
    return Traced("apply", store_.Apply(updates, removals));
}

platform::WriteResult TracedListStore::SwapOrder(int64_t first, int64_t second) {
    return Traced("swap", store_.SwapOrder(first, second));
}

platform::WriteResult TracedListStore::Clear() { return Traced("clear", store_.Clear()); }

platform::ReplaceResult TracedListStore::ReplaceAll(
    const std::vector<platform::StoredItem>& items) {
    return Traced("replace", store_.ReplaceAll(items));
}

} // namespace tarnwick::list
