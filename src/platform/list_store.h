// Where the download list is kept between runs of the program: one record
// per item, in the list's order. Each call is one transaction of its own that
// touches at most two records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::platform {

// One listed item as it is kept. The numbers are the core's own codes; the
// store keeps them as they are.
struct StoredItem {
    int64_t id = 0; // the store's own, given by Insert
    std::string page_address;
    int site = -1;
    int name_kind = 0;
    std::string name;
    int state = 0;
    int size_kind = 0;
    int64_t total_size = 0;
    int64_t received = 0;
    // Why it failed: -1 when it did not.
    int failure_reason = -1;
    int http_status = 0;
    std::string failure_detail;
    // The temporary file the item owns, and the validator (a strong ETag or a
    // Last-Modified date) of the answer its bytes came with.
    std::string temporary_path;
    std::string validator;

    bool operator==(const StoredItem&) const = default;
};

// What opening the store found, for the user to be told once.
struct StoreOpening {
    // Where a damaged store was moved aside; empty when none was.
    std::string moved_aside_to;
    // Why nothing can be kept this time; empty when the store works.
    std::string unusable_reason;
};

class ListStore {
public:
    virtual ~ListStore() = default;

    virtual StoreOpening Opening() const = 0;
    // Every kept item, in the list's order.
    virtual std::vector<StoredItem> LoadAll() = 0;
    // Keeps the item at the end of the list; its id, or none on failure.
    virtual std::optional<int64_t> Insert(const StoredItem& item) = 0;
    // Writes every field of the item with `item.id`.
    virtual bool Update(const StoredItem& item) = 0;
    virtual bool Remove(int64_t id) = 0;
    // Exchanges the places of two items in the order.
    virtual bool SwapOrder(int64_t first, int64_t second) = 0;
    // Forgets every item.
    virtual bool Clear() = 0;
};

} // namespace tarnwick::platform
