// Where what was downloaded is remembered: one entry for each item that
// completed, kept when the item leaves the list. Entries are read a page at
// a time, newest first, so that a long history is never held whole.
#pragma once

#include "common/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::platform {

struct HistoryEntry {
    int64_t id = 0; // the store's own
    std::string page_address;
    // Which video it was, whatever address it came by (the core's text);
    // empty when not known.
    std::string identity;
    std::string title;
    // The file it was downloaded into; empty for an entry imported without one.
    std::string path;
    int64_t size = 0;
    // When it completed, in seconds since 1970 (UTC).
    int64_t completed_at = 0;
    // How it came into the list (the core's code).
    int origin = 0;
    bool operator==(const HistoryEntry&) const = default;
};

class HistoryStore {
public:
    virtual ~HistoryStore() = default;

    // Keeps the entry, once: an entry of the same page address completed at
    // the same moment is kept already.
    virtual Status Record(const HistoryEntry& entry) = 0;
    // The newest entry of `page_address`, or, where `identity` is not empty,
    // of that video by any address.
    virtual std::optional<HistoryEntry> FindVideo(const std::string& page_address,
                                                  const std::string& identity) = 0;
    // Entries whose title or address holds every word of `search` (all, when
    // it is empty), newest first, from the `offset`th on.
    virtual std::vector<HistoryEntry> Page(const std::string& search, int64_t offset,
                                           int limit) = 0;
    virtual int64_t Count(const std::string& search) = 0;
    virtual Status Remove(int64_t id) = 0;
    // Forgets every entry of the page address.
    virtual Status Forget(const std::string& page_address) = 0;
    virtual Status Clear() = 0;
    // Keeps each of `identities` that the history does not hold as an entry
    // without a file, completed `at`, of `origin`; how many were new.
    virtual Result<int64_t> Import(const std::vector<std::string>& identities, int64_t at,
                                   int origin) = 0;
    // Every identity the history holds, oldest first, each once.
    virtual std::vector<std::string> Identities() = 0;
};

} // namespace tarnwick::platform
