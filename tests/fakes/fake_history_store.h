// A history in memory: entries in the order kept, found by address or
// identity, searched by plain substrings of title and address.
#pragma once

#include "platform/history_store.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tarnwick::fakes {

class FakeHistoryStore : public platform::HistoryStore {
public:
    Status Record(const platform::HistoryEntry& entry) override {
        entries.push_back(entry);
        entries.back().id = ++last_id;
        return {};
    }
    std::optional<platform::HistoryEntry> FindVideo(const std::string& page_address,
                                                    const std::string& identity) override {
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
            if (entry->page_address == page_address ||
                (!identity.empty() && entry->identity == identity))
                return *entry;
        }
        return std::nullopt;
    }
    std::vector<platform::HistoryEntry> Page(const std::string& search, int64_t offset,
                                             int limit) override {
        std::vector<platform::HistoryEntry> found = Matching(search);
        const auto from = std::min<size_t>(static_cast<size_t>(offset), found.size());
        const auto to = std::min<size_t>(from + static_cast<size_t>(limit), found.size());
        return {found.begin() + static_cast<std::ptrdiff_t>(from),
                found.begin() + static_cast<std::ptrdiff_t>(to)};
    }
    int64_t Count(const std::string& search) override {
        return static_cast<int64_t>(Matching(search).size());
    }
    Status Remove(int64_t id) override {
        std::erase_if(entries, [id](const auto& entry) { return entry.id == id; });
        return {};
    }
    Status Forget(const std::string& page_address) override {
        std::erase_if(entries,
                      [&](const auto& entry) { return entry.page_address == page_address; });
        return {};
    }
    Status Clear() override {
        entries.clear();
        return {};
    }
    Result<int64_t> Import(const std::vector<std::string>& identities, int64_t at,
                           int origin) override {
        int64_t added = 0;
        for (const std::string& identity : identities) {
            if (FindVideo("\n", identity)) continue;
            Record({0, "", identity, "", "", 0, at, origin});
            ++added;
        }
        return added;
    }
    std::vector<std::string> Identities() override {
        std::vector<std::string> all;
        for (const auto& entry : entries) {
            if (!entry.identity.empty() &&
                std::find(all.begin(), all.end(), entry.identity) == all.end())
                all.push_back(entry.identity);
        }
        return all;
    }

    std::vector<platform::HistoryEntry> entries;
    int64_t last_id = 0;

private:
    // Newest first.
    std::vector<platform::HistoryEntry> Matching(const std::string& search) const {
        std::vector<platform::HistoryEntry> found;
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
            if (entry->title.find(search) != std::string::npos ||
                entry->page_address.find(search) != std::string::npos)
                found.push_back(*entry);
        }
        return found;
    }
};

} // namespace tarnwick::fakes
