// A list store in memory that logs each transaction and can refuse them, or
// answer that its file has gone.
#pragma once

#include "platform/list_store.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tarnwick::fakes {

class FakeListStore : public platform::ListStore {
public:
    platform::StoreOpening Opening() const override { return opening; }
    // Not whole where the real store's would not be.
    platform::LoadedList LoadAll() override {
        return {items, whole && opening.moved_aside_to.empty() && opening.unusable_reason.empty()};
    }
    platform::InsertResult Insert(const platform::StoredItem& item) override {
        log.push_back("insert");
        if (const platform::WriteResult refused = Refusal(); !refused.Done()) return {refused, 0};
        items.push_back(item);
        items.back().id = ++last_id;
        return {{}, last_id};
    }
    platform::WriteResult Update(const platform::StoredItem& item) override {
        log.push_back("update " + std::to_string(item.id));
        if (const platform::WriteResult refused = Refusal(); !refused.Done()) return refused;
        auto found = Find(item.id);
        if (found == items.end()) return Missing();
        *found = item;
        return {};
    }
    platform::WriteResult Remove(int64_t id) override {
        log.push_back("remove " + std::to_string(id));
        if (const platform::WriteResult refused = Refusal(); !refused.Done()) return refused;
        auto found = Find(id);
        if (found == items.end()) return Missing();
        items.erase(found);
        return {};
    }
    // All or nothing, as one transaction.
    platform::WriteResult Apply(const std::vector<platform::StoredItem>& updates,
                                const std::vector<int64_t>& removals) override {
        log.push_back("apply " + std::to_string(updates.size()) + " " +
                      std::to_string(removals.size()));
        if (const platform::WriteResult refused = Refusal(); !refused.Done()) return refused;
        std::vector<platform::StoredItem> after = items;
        for (const platform::StoredItem& item : updates) {
            auto found = std::find_if(after.begin(), after.end(),
                                      [&](const auto& kept) { return kept.id == item.id; });
            if (found == after.end()) return Missing();
            *found = item;
        }
        for (const int64_t id : removals) {
            auto found = std::find_if(after.begin(), after.end(),
                                      [&](const auto& kept) { return kept.id == id; });
            if (found == after.end()) return Missing();
            after.erase(found);
        }
        items = std::move(after);
        return {};
    }
    platform::WriteResult SwapOrder(int64_t first, int64_t second) override {
        log.push_back("swap " + std::to_string(first) + " " + std::to_string(second));
        if (const platform::WriteResult refused = Refusal(); !refused.Done()) return refused;
        auto a = Find(first);
        auto b = Find(second);
        if (a == items.end() || b == items.end()) return Missing();
        std::iter_swap(a, b);
        return {};
    }
    platform::WriteResult Clear() override {
        log.push_back("clear");
        if (const platform::WriteResult refused = Refusal(); !refused.Done()) return refused;
        items.clear();
        return {};
    }
    // A file that has gone is made again, unless the store refuses.
    platform::ReplaceResult ReplaceAll(const std::vector<platform::StoredItem>& all) override {
        log.push_back("replace " + std::to_string(all.size()));
        gone = false;
        if (refuse) return {{platform::WriteStatus::kFailed, problem}, {}};
        items = all;
        platform::ReplaceResult result;
        for (platform::StoredItem& item : items) result.ids.push_back(item.id = ++last_id);
        return result;
    }

    // Kept items in their order, as a store on disk would load them.
    std::vector<platform::StoredItem> items;
    std::vector<std::string> log;
    platform::StoreOpening opening;
    bool whole = true;
    // Every write fails with `problem`.
    bool refuse = false;
    std::string problem = "disk full";
    // Writes but ReplaceAll answer kGone, and what was kept is lost.
    bool gone = false;
    int64_t last_id = 0;

private:
    platform::WriteResult Refusal() {
        if (gone) {
            items.clear();
            return {platform::WriteStatus::kGone, "gone"};
        }
        if (refuse) return {platform::WriteStatus::kFailed, problem};
        return {};
    }
    static platform::WriteResult Missing() { return {platform::WriteStatus::kFailed, "missing"}; }
    std::vector<platform::StoredItem>::iterator Find(int64_t id) {
        return std::find_if(items.begin(), items.end(),
                            [id](const platform::StoredItem& item) { return item.id == id; });
    }
};

} // namespace tarnwick::fakes
