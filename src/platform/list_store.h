// Where the download list is kept between runs of the program: one record
// per item, in the list's order. Each call is one transaction of its own.
// Every write but Apply and ReplaceAll touches at most two records.
#pragma once

#include "common/result.h"
#include "platform/history_store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace tarnwick::platform {

// One listed item as it is kept. The numbers are the core's own codes; the
// store keeps them as they are.
struct StoredItem {
    int64_t id = 0; // the store's own, given by Insert or ReplaceAll
    std::string page_address;
    int site = -1;
    int name_kind = 0;
    std::string name;
    int state = 0;
    int size_kind = 0;
    int64_t total_size = 0;
    // Why it failed: -1 when it did not.
    int failure_reason = -1;
    int http_status = 0;
    std::string failure_detail;
    // How a slow resolver found the video to be downloaded, in its own text;
    // empty when none did.
    std::string resolved;
    // The title its page was listed with; empty when none.
    std::string title;
    // What its download left on disk for the next try (the core's record,
    // in its own text); empty when nothing.
    std::string kept;
    // What the browser said the item's server wants (the core's record, in
    // its own text); empty when nothing.
    std::string context;
    // What the user chose to keep of the item's video (the core's record, in
    // its own text); empty when it takes the settings in force.
    std::string choice;
    // How it came, which video it is and where it completed (the core's
    // record, in its own text); empty when none of these is known.
    std::string history;
    // Not kept with the item: set when the write completes the item, whose
    // entry then goes into the history in the same transaction, once.
    std::optional<HistoryEntry> completion;

    bool operator==(const StoredItem&) const = default;
};

// What opening the store found, for the user to be told once.
struct StoreOpening {
    // Where a damaged store was moved aside; empty when none was.
    std::string moved_aside_to;
    // Why nothing can be kept this time; empty when the store works.
    std::string unusable_reason;
};

// What a load brought back.
struct LoadedList {
    // The items read, in the list's order.
    std::vector<StoredItem> items;
    // False when the kept list may hold items that are not among `items`: it
    // could not be read to its end, could not be read at all, or was moved
    // aside as damaged. Whatever such a list holds may own files.
    bool whole = true;
};

// A write that is not done fails with Reason::kWriteFailed and the system's
// words in its detail: nothing was written, because the file cannot be
// written now or holds no record the write names.
inline Failure StoreWriteFailure(std::string detail) {
    return Failure{Reason::kWriteFailed, 0, std::move(detail)};
}

// The failure of a write that found the file the store writes no longer at its
// place (it, or its folder, was removed or moved): nothing was written, and
// what the store held is lost. ReplaceAll writes the list anew at the store's
// place.
inline Failure StoreGoneFailure(std::string detail) {
    return Failure{Reason::kWriteFailed, 0, std::move(detail),
                   std::make_error_code(std::errc::no_such_file_or_directory)};
}

// Whether a store's write failed because its file has gone. The store's other
// failures carry no system error, so that none is taken for this one.
inline bool IsStoreGone(const Failure& failure) {
    return failure.system == std::errc::no_such_file_or_directory;
}

// Hears how the writes of a store that ends them later went.
class LateWrites {
public:
    virtual ~LateWrites() = default;
    // A write the store took failed; what it was to write is not kept.
    virtual void OnWriteFailed(const Failure& failure) = 0;
    // The whole list given to ReplaceAll is kept.
    virtual void OnWholeListKept() = 0;
};

class ListStore {
public:
    virtual ~ListStore() = default;

    // Whether the writes end later, away from the caller: then what a write
    // answers says only that it was taken, in its turn after the writes
    // before it, and its end is told to the listener given here.
    virtual bool EndsWritesLater() const { return false; }
    virtual void SetLateWrites(LateWrites* /*listener*/) {}
    // Waits until every write taken has ended, and tells their ends now: for
    // the program's end, and for files that may be made or dropped only once
    // the list says so.
    virtual void EndWrites() {}

    virtual StoreOpening Opening() const = 0;
    // Every kept item, in the list's order.
    virtual LoadedList LoadAll() = 0;
    // Keeps the item at the end of the list; its new record's id.
    virtual Result<int64_t> Insert(const StoredItem& item) = 0;
    // Writes every field of the item with `item.id`.
    virtual Status Update(const StoredItem& item) = 0;
    virtual Status Remove(int64_t id) = 0;
    // Writes every field of each of `updates` and forgets each of
    // `removals`, all in one transaction: all or nothing.
    virtual Status Apply(const std::vector<StoredItem>& updates,
                         const std::vector<int64_t>& removals) = 0;
    // Exchanges the places of two items in the order.
    virtual Status SwapOrder(int64_t first, int64_t second) = 0;
    // Forgets every item.
    virtual Status Clear() = 0;
    // Keeps `items` (their ids aside) in their order in place of whatever was
    // kept, all or nothing; the new records' ids, in the list's order. Where
    // the store's file has gone, it makes the file, and its folder, again.
    virtual Result<std::vector<int64_t>> ReplaceAll(const std::vector<StoredItem>& items) = 0;
    // Keeps a completion in the history without writing the list (while the
    // list is not kept, or its item has gone).
    virtual Status Record(const HistoryEntry& entry) = 0;
};

} // namespace tarnwick::platform
