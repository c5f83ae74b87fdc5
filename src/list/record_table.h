// Each listed item's record in the store, by item key: a sorted table of
// pairs. Keys only grow, so an item added to the list appends; a long list
// costs 16 bytes an item, where a hash map costs 40.
#pragma once

#include "list/download_item.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarnwick::list {

class RecordTable {
public:
    struct Record {
        ItemKey key = 0;
        int64_t id = 0;
    };

    void Set(ItemKey key, int64_t id) {
        const auto at = LowerBound(key);
        if (at != records_.end() && at->key == key) {
            at->id = id;
        } else {
            records_.insert(at, Record{key, id});
        }
    }
    std::optional<int64_t> Find(ItemKey key) const {
        const auto at = LowerBound(key);
        if (at == records_.end() || at->key != key) return std::nullopt;
        return at->id;
    }
    bool Contains(ItemKey key) const { return Find(key).has_value(); }
    // The record's id, taken out of the table.
    std::optional<int64_t> Take(ItemKey key) {
        const auto at = LowerBound(key);
        if (at == records_.end() || at->key != key) return std::nullopt;
        const int64_t id = at->id;
        records_.erase(at);
        return id;
    }
    // Takes out every record whose key `removed(key)` says, in one pass.
    template <typename Predicate>
    void RemoveIf(Predicate removed) {
        std::erase_if(records_, [&](const Record& r) { return removed(r.key); });
    }
    // Replaces the whole table, in any order of keys.
    void Assign(std::vector<Record> records) {
        records_ = std::move(records);
        std::sort(records_.begin(), records_.end(),
                  [](const Record& a, const Record& b) { return a.key < b.key; });
    }
    void Clear() {
        records_.clear();
        records_.shrink_to_fit();
    }

private:
    std::vector<Record>::iterator LowerBound(ItemKey key) {
        return std::lower_bound(records_.begin(), records_.end(), key,
                                [](const Record& r, ItemKey k) { return r.key < k; });
    }
    std::vector<Record>::const_iterator LowerBound(ItemKey key) const {
        return std::lower_bound(records_.begin(), records_.end(), key,
                                [](const Record& r, ItemKey k) { return r.key < k; });
    }

    std::vector<Record> records_;
};

} // namespace tarnwick::list
