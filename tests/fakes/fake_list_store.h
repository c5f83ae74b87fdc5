// A list store in memory that logs each transaction and can refuse them.
#pragma once

#include "platform/list_store.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tarnwick::fakes {

class FakeListStore : public platform::ListStore {
public:
    platform::StoreOpening Opening() const override { return opening; }
    std::vector<platform::StoredItem> LoadAll() override { return items; }
    std::optional<int64_t> Insert(const platform::StoredItem& item) override {
        log.push_back("insert");
        if (refuse) return std::nullopt;
        items.push_back(item);
        items.back().id = ++last_id;
        return last_id;
    }
    bool Update(const platform::StoredItem& item) override {
        log.push_back("update " + std::to_string(item.id));
        auto found = Find(item.id);
        if (refuse || found == items.end()) return false;
        *found = item;
        return true;
    }
    bool Remove(int64_t id) override {
        log.push_back("remove " + std::to_string(id));
        auto found = Find(id);
        if (refuse || found == items.end()) return false;
        items.erase(found);
        return true;
    }
    bool SwapOrder(int64_t first, int64_t second) override {
        log.push_back("swap " + std::to_string(first) + " " + std::to_string(second));
        auto a = Find(first);
        auto b = Find(second);
        if (refuse || a == items.end() || b == items.end()) return false;
        std::iter_swap(a, b);
        return true;
    }
    bool Clear() override {
        log.push_back("clear");
        items.clear();
        return !refuse;
    }

    // Kept items in their order, as a store on disk would load them.
    std::vector<platform::StoredItem> items;
    std::vector<std::string> log;
    platform::StoreOpening opening;
    bool refuse = false;
    int64_t last_id = 0;

private:
    std::vector<platform::StoredItem>::iterator Find(int64_t id) {
        return std::find_if(items.begin(), items.end(),
                            [id](const platform::StoredItem& item) { return item.id == id; });
    }
};

} // namespace tarnwick::fakes
