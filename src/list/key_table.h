// A table from item keys to values, sorted by key in one array. Keys are
// handed out in rising order, so a new item's entry goes at the end; for a
// long list it costs a fraction of a hash map's nodes.
#pragma once

#include "list/download_item.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tarnwick::list {

template <typename V>
class KeyTable {
public:
    using Entry = std::pair<ItemKey, V>;
    using iterator = typename std::vector<Entry>::iterator;

    iterator begin() { return entries_.begin(); }
    iterator end() { return entries_.end(); }
    iterator find(ItemKey key) {
        const iterator at = LowerBound(key);
        return at != entries_.end() && at->first == key ? at : entries_.end();
    }
    V& operator[](ItemKey key) {
        iterator at = LowerBound(key);
        if (at == entries_.end() || at->first != key) at = entries_.insert(at, {key, V{}});
        return at->second;
    }
    void erase(iterator at) { entries_.erase(at); }
    // Erases every entry whose key `gone` names, in one pass.
    template <typename Gone>
    void EraseKeys(Gone gone) {
        std::erase_if(entries_, [&](const Entry& entry) { return gone(entry.first); });
    }
    // Takes `entries`, in any order, in place of what the table held.
    void Assign(std::vector<Entry> entries) {
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.first < b.first; });
        entries_ = std::move(entries);
    }
    void clear() { entries_.clear(); }
    size_t size() const { return entries_.size(); }

private:
    iterator LowerBound(ItemKey key) {
        if (entries_.empty() || entries_.back().first < key) return entries_.end();
        return std::lower_bound(entries_.begin(), entries_.end(), key,
                                [](const Entry& entry, ItemKey k) { return entry.first < k; });
    }

    std::vector<Entry> entries_;
};

} // namespace tarnwick::list
