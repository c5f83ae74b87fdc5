// A list store that writes each failure of the store it wraps to the trace.
#pragma once

#include "platform/list_store.h"
#include "platform/trace.h"

namespace tarnwick::list {

class TracedListStore final : public platform::ListStore {
public:
    TracedListStore(platform::ListStore& store, platform::Trace& trace)
        : store_(store), trace_(trace) {}

    platform::StoreOpening Opening() const override;
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
    // Passes the result on, tracing it when the write was not done.
    template <typename T>
    Result<T> Traced(const char* write, Result<T> result) const;

    platform::ListStore& store_;
    platform::Trace& trace_;
};

} // namespace tarnwick::list
