// The history kept in the list's database, beside the list: the list's
// store writes completions with their items; this reads the history a page
// at a time and changes it as the user asks.
#pragma once

#include "platform/history_store.h"
#include "sqlite/sqlite_list_store.h"

namespace tarnwick::sqlite {

class SqliteHistory : public platform::HistoryStore {
public:
    // `list` holds the database and outlives this. Each call holds the list
    // while it reads or writes, the list's writes then waiting for it.
    explicit SqliteHistory(SqliteListStore& list) : list_(list) {}

    Status Record(const platform::HistoryEntry& entry) override { return list_.Record(entry); }
    std::optional<platform::HistoryEntry> FindVideo(const std::string& page_address,
                                                    const std::string& identity) override;
    // The search is by the start of each word, as it is typed.
    std::vector<platform::HistoryEntry> Page(const std::string& search, int64_t offset,
                                             int limit) override;
    int64_t Count(const std::string& search) override;
    Status Remove(int64_t id) override;
    Status Forget(const std::string& page_address) override;
    // Makes the history's tables afresh: quicker than forgetting each entry.
    Status Clear() override;
    Result<int64_t> Import(const std::vector<std::string>& identities, int64_t at,
                           int origin) override;
    std::vector<std::string> Identities() override;

private:
    SqliteListStore& list_;
};

// The full-text query that finds entries holding every word of `search` by
// its start ("harb rot" finds "Harbour of Rotterdam"); empty when it has no
// word.
std::string WordsQuery(const std::string& search);

} // namespace tarnwick::sqlite
