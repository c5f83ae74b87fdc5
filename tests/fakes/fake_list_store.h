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
    Result<int64_t> Insert(const platform::StoredItem& item) override {
        log.push_back("insert");
        if (const Status refused = Refusal(); !refused) return refused.failure();
        items.push_back(item);
        items.back().id = Given(item.id);
        KeepCompletion(item);
        return items.back().id;
    }
    Status Update(const platform::StoredItem& item) override {
        log.push_back("update " + std::to_string(item.id));
        if (const Status refused = Refusal(); !refused) return refused;
        auto found = Find(item.id);
        if (found == items.end()) return Missing();
        *found = item;
        KeepCompletion(item);
        return {};
    }
    Status Remove(int64_t id) override {
        log.push_back("remove " + std::to_string(id));
        if (const Status refused = Refusal(); !refused) return refused;
        auto found = Find(id);
        if (found == items.end()) return Missing();
        items.erase(found);
        return {};
    }
    // All or nothing, as one transaction.
    Status Apply(const std::vector<platform::StoredItem>& updates,
                 const std::vector<int64_t>& removals) override {
        log.push_back("apply " + std::to_string(updates.size()) + " " +
                      std::to_string(removals.size()));
        if (const Status refused = Refusal(); !refused) return refused;
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
        for (const platform::StoredItem& item : updates) KeepCompletion(item);
        return {};
    }
    Status SwapOrder(int64_t first, int64_t second) override {
        log.push_back("swap " + std::to_string(first) + " " + std::to_string(second));
        if (const Status refused = Refusal(); !refused) return refused;
        auto a = Find(first);
        auto b = Find(second);
        if (a == items.end() || b == items.end()) return Missing();
        std::iter_swap(a, b);
        return {};
    }
    Status Clear() override {
        log.push_back("clear");
        if (const Status refused = Refusal(); !refused) return refused;
        items.clear();
        return {};
    }
    // A file that has gone is made again, unless the store refuses.
    Result<std::vector<int64_t>> ReplaceAll(const std::vector<platform::StoredItem>& all) override {
        log.push_back("replace " + std::to_string(all.size()));
        gone = false;
        if (refuse) return platform::StoreWriteFailure(problem);
        items = all;
        for (const platform::StoredItem& item : all) KeepCompletion(item);
        std::vector<int64_t> ids;
        for (platform::StoredItem& item : items) ids.push_back(item.id = Given(item.id));
        return ids;
    }

    Status Record(const platform::HistoryEntry& entry) override {
        log.push_back("record");
        if (refuse) return platform::StoreWriteFailure(problem);
        KeepCompletion({.completion = entry});
        return {};
    }

    // Kept items in their order, as a store on disk would load them.
    std::vector<platform::StoredItem> items;
    std::vector<std::string> log;
    platform::StoreOpening opening;
    bool whole = true;
    // Every write fails with `problem`.
    bool refuse = false;
    std::string problem = "disk full";
    // Writes but ReplaceAll fail as gone, and what was kept is lost.
    bool gone = false;
    int64_t last_id = 0;
    // The completions kept, each once.
    std::vector<platform::HistoryEntry> history;

private:
    // The id an item given with `id` is kept with: that one, or the next.
    int64_t Given(int64_t id) {
        last_id = std::max(last_id, id);
        return id > 0 ? id : ++last_id;
    }
    void KeepCompletion(const platform::StoredItem& item) {
        if (!item.completion) return;
        for (const platform::HistoryEntry& kept : history) {
            if (kept.page_address == item.completion->page_address &&
                kept.completed_at == item.completion->completed_at)
                return;
        }
        history.push_back(*item.completion);
    }
    Status Refusal() {
        if (gone) {
            items.clear();
            return platform::StoreGoneFailure("gone");
        }
        if (refuse) return platform::StoreWriteFailure(problem);
        return {};
    }
    static Failure Missing() { return platform::StoreWriteFailure("missing"); }
    std::vector<platform::StoredItem>::iterator Find(int64_t id) {
        return std::find_if(items.begin(), items.end(),
                            [id](const platform::StoredItem& item) { return item.id == id; });
    }
};

} // namespace tarnwick::fakes
