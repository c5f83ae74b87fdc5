#include "list/download_queue.h"

#include "list/item_texts.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace tarnwick::list {

namespace {

unsigned KeptFields(const std::optional<transfer::Kept>& before,
                    const std::optional<transfer::Kept>& after) {
    if (before == after) return 0;
    const bool progress = before && after && transfer::OnlyProgressDiffers(*before, *after);
    return progress ? kFieldKept : kFieldKeptRecord;
}

} // namespace

unsigned ChangedFields(const DownloadItem& before, const DownloadItem& after) {
    unsigned fields = 0;
    if (before.page_address != after.page_address) fields |= kFieldAddress;
    if (before.name_kind != after.name_kind || before.name != after.name) fields |= kFieldName;
    if (before.state != after.state || before.site != after.site ||
        StatusText(before) != StatusText(after)) {
        fields |= kFieldStatus;
    }
    if (before.size_kind != after.size_kind || before.total_size != after.total_size ||
        (after.size_kind == SizeKind::kStreamed && before.received != after.received)) {
        fields |= kFieldSize;
    }
    if (before.rare->failure != after.rare->failure) fields |= kFieldFailure;
    fields |= KeptFields(before.rare->kept, after.rare->kept);
    if (before.rare->resolved != after.rare->resolved || before.rare->title != after.rare->title ||
        before.rare->context != after.rare->context) {
        fields |= kFieldResolved;
    }
    return fields;
}

std::vector<std::unique_ptr<DownloadQueue::Entry>>::const_iterator DownloadQueue::EntryOf(
    ItemKey key) const {
    const auto found = std::lower_bound(
        entries_.begin(), entries_.end(), key,
        [](const std::unique_ptr<Entry>& entry, ItemKey k) { return entry->item.key < k; });
    return found != entries_.end() && (*found)->item.key == key ? found : entries_.end();
}

DownloadQueue::Entry* DownloadQueue::FindEntry(ItemKey key) const {
    const auto found = EntryOf(key);
    return found == entries_.end() || (*found)->removed ? nullptr : found->get();
}

const DownloadItem* DownloadQueue::Find(ItemKey key) const {
    const Entry* entry = FindEntry(key);
    return entry == nullptr ? nullptr : &entry->item;
}

void DownloadQueue::NoteName(const DownloadItem& item) {
    if (item.name_kind == NameKind::kNamed) names_.insert(item.name);
}

void DownloadQueue::ForgetName(const DownloadItem& item) {
    if (item.name_kind != NameKind::kNamed) return;
    const auto found = names_.find(item.name);
    if (found != names_.end()) names_.erase(found);
}

bool DownloadQueue::IsNameTaken(const std::string& name, ItemKey except) const {
    const size_t count = names_.count(name);
    const DownloadItem* own = Find(except);
    const bool own_name = own != nullptr && own->name_kind == NameKind::kNamed && own->name == name;
    return count > (own_name ? 1u : 0u);
}

int DownloadQueue::PositionOf(ItemKey key) const {
    const Entry* entry = FindEntry(key);
    if (entry == nullptr) return -1;
    // An item moves a place or two with each change before it: look around
    // where it stood last, and refresh every position only when it is far off.
    constexpr int kNearby = 64;
    const int count = Count();
    for (int distance = 0; distance <= kNearby; ++distance) {
        for (const int p : {entry->position - distance, entry->position + distance}) {
            if (p >= 0 && p < count && order_[static_cast<size_t>(p)] == entry) {
                entry->position = p;
                return p;
            }
        }
    }
    for (size_t p = 0; p < order_.size(); ++p) order_[p]->position = static_cast<int>(p);
    return entry->position;
}

DownloadQueue::AddResult DownloadQueue::Add(DownloadItem item) {
    if (HasAddress(item.page_address)) return AddResult::kDuplicate;
    if (Count() >= kMaxItems) return AddResult::kFull;
    Insert(Count(), std::move(item));
    return AddResult::kAdded;
}

void DownloadQueue::Insert(int position, DownloadItem item) {
    AssertNotNotifying();
    position = std::clamp(position, 0, Count());
    observers_.Notify([&](QueueObserver& o) { o.OnInserting(position); });
    item.key = ++last_key_;
    auto entry = std::make_unique<Entry>();
    entry->item = std::move(item);
    entry->item.rare.Tidy();
    entry->position = position;
    [[maybe_unused]] const bool new_address = addresses_.insert(entry.get()).second;
    assert(new_address && "an address is listed once");
    NoteName(entry->item);
    order_.insert(order_.begin() + position, entry.get());
    // Keys only grow: the table stays sorted.
    entries_.push_back(std::move(entry));
    observers_.Notify([&](QueueObserver& o) { o.OnInserted(position); });
}

std::vector<ItemKey> DownloadQueue::InsertMany(std::vector<Placed> items) {
    AssertNotNotifying();
    std::vector<ItemKey> keys;
    observers_.Notify([](QueueObserver& o) { o.OnBatchBegin(); });
    for (Placed& placed : items) {
        if (HasAddress(placed.item.page_address) || Count() >= kMaxItems) continue;
        Insert(placed.position, std::move(placed.item));
        keys.push_back(last_key_);
    }
    for (size_t p = 0; p < order_.size(); ++p) order_[p]->position = static_cast<int>(p);
    observers_.Notify([](QueueObserver& o) { o.OnBatchEnd(); });
    return keys;
}

std::optional<ItemKey> DownloadQueue::KeyOfAddress(const std::string& address) const {
    const auto found = addresses_.find(std::string_view(address));
    if (found == addresses_.end()) return std::nullopt;
    return (*found)->item.key;
}

bool DownloadQueue::Remove(ItemKey key) {
    AssertNotNotifying();
    const int position = PositionOf(key);
    if (position < 0) return false;
    observers_.Notify([&](QueueObserver& o) { o.OnRemoving(position); });
    order_.erase(order_.begin() + position);
    const auto found = EntryOf(key);
    addresses_.erase(found->get());
    ForgetName((*found)->item);
    entries_.erase(found);
    observers_.Notify([&](QueueObserver& o) { o.OnRemoved(position); });
    return true;
}

int DownloadQueue::RemoveMany(const std::vector<ItemKey>& keys) {
    AssertNotNotifying();
    const std::unordered_set<ItemKey> gone(keys.begin(), keys.end());
    std::vector<int> positions;
    for (size_t p = 0; p < order_.size(); ++p) {
        if (gone.count(order_[p]->item.key) > 0) positions.push_back(static_cast<int>(p));
    }
    if (positions.empty()) return 0;
    observers_.Notify([](QueueObserver& o) { o.OnBatchBegin(); });
    // From the end backwards, so that the positions before each range hold.
    for (size_t end = positions.size(); end > 0;) {
        size_t begin = end - 1;
        while (begin > 0 && positions[begin - 1] + 1 == positions[begin]) --begin;
        RemoveRange(positions[begin], positions[end - 1]);
        end = begin;
    }
    std::erase_if(entries_, [](const std::unique_ptr<Entry>& entry) { return entry->removed; });
    for (size_t p = 0; p < order_.size(); ++p) order_[p]->position = static_cast<int>(p);
    observers_.Notify([](QueueObserver& o) { o.OnBatchEnd(); });
    return static_cast<int>(positions.size());
}

void DownloadQueue::RemoveRange(int first, int last) {
    AssertNotNotifying();
    observers_.Notify([&](QueueObserver& o) { o.OnRemovingRange(first, last); });
    const auto begin = order_.begin() + first;
    const auto end = order_.begin() + last + 1;
    for (auto entry = begin; entry != end; ++entry) {
        addresses_.erase(*entry);
        ForgetName((*entry)->item);
        (*entry)->removed = true;
    }
    order_.erase(begin, end);
    observers_.Notify([&](QueueObserver& o) { o.OnRemovedRange(first, last); });
}

void DownloadQueue::ModifyMany(const std::vector<ItemKey>& keys,
                               const std::function<void(DownloadItem&)>& change) {
    observers_.Notify([](QueueObserver& o) { o.OnBatchBegin(); });
    for (const ItemKey key : keys) Modify(key, change);
    observers_.Notify([](QueueObserver& o) { o.OnBatchEnd(); });
}

void DownloadQueue::Swap(int position) {
    AssertNotNotifying();
    observers_.Notify([&](QueueObserver& o) { o.OnMoving(position, position + 1); });
    std::swap(order_[static_cast<size_t>(position)], order_[static_cast<size_t>(position) + 1]);
    order_[static_cast<size_t>(position)]->position = position;
    order_[static_cast<size_t>(position) + 1]->position = position + 1;
    observers_.Notify([&](QueueObserver& o) { o.OnMoved(position, position + 1); });
}

bool DownloadQueue::MoveUp(ItemKey key) {
    const int position = PositionOf(key);
    if (position <= 0) return false;
    Swap(position - 1);
    return true;
}

bool DownloadQueue::MoveDown(ItemKey key) {
    const int position = PositionOf(key);
    if (position < 0 || position + 1 >= Count()) return false;
    Swap(position);
    return true;
}

bool DownloadQueue::Rename(ItemKey key, std::string name) {
    return Modify(key, [&](DownloadItem& item) {
        item.name_kind = NameKind::kNamed;
        item.name = std::move(name);
    });
}

bool DownloadQueue::Modify(ItemKey key, const std::function<void(DownloadItem&)>& change) {
    AssertNotNotifying();
    Entry* entry = FindEntry(key);
    if (entry == nullptr) return false;
    const DownloadItem before = entry->item;
    change(entry->item);
    entry->item.rare.Tidy();
    entry->item.key = before.key;
    entry->item.page_address = before.page_address;
    const unsigned fields = ChangedFields(before, entry->item);
    if (fields == 0) return true;
    if ((fields & kFieldName) != 0) {
        ForgetName(before);
        NoteName(entry->item);
    }
    const int position = PositionOf(key);
    observers_.Notify([&](QueueObserver& o) { o.OnChanged(position, fields); });
    return true;
}

void DownloadQueue::SetReceived(ItemKey key, int64_t received) {
    AssertNotNotifying();
    Entry* entry = FindEntry(key);
    if (entry == nullptr || entry->item.received == received) return;
    const std::string before = StatusText(entry->item);
    entry->item.received = received;
    // A streamed video's size is its bytes so far.
    const unsigned fields = (StatusText(entry->item) != before ? kFieldStatus : 0u) |
                            (entry->item.size_kind == SizeKind::kStreamed ? kFieldSize : 0u);
    if (fields == 0) return;
    const int position = PositionOf(key);
    observers_.Notify([&](QueueObserver& o) { o.OnChanged(position, fields); });
}

void DownloadQueue::SetKept(ItemKey key, std::optional<transfer::Kept> kept) {
    AssertNotNotifying();
    Entry* entry = FindEntry(key);
    if (entry == nullptr) return;
    const unsigned fields = KeptFields(entry->item.rare->kept, kept);
    if (fields == 0) return;
    entry->item.rare->kept = std::move(kept);
    entry->item.rare.Tidy();
    const int position = PositionOf(key);
    observers_.Notify([&](QueueObserver& o) { o.OnChanged(position, fields); });
}

} // namespace tarnwick::list
