// The download list kept in an SQLite database file. Each item is one row,
// and the list's order is that of an indexed order key rather than of
// positions, so that adding, removing or moving an item writes one or two
// rows however long the list is.
//
// The file is held in exclusive locking mode: no other connection can use
// it while the store is open, and the log's index lives in the program's
// memory rather than in a shared file mapped into it, so that a file taken
// away underneath the program cannot crash it. Its calls may come from more
// than one thread: each one holds the store while it runs.
#pragma once

#include "platform/list_store.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace tarnwick::sqlite {

class SqliteListStore : public platform::ListStore {
public:
    // Kept in the file's user_version. A file of an earlier version is brought
    // up to this one as it is opened, keeping every item; a file with a later
    // version (or with tables this program did not make) is not read but
    // moved aside.
    static constexpr int kSchemaVersion = 8;

    // Opens the database at `path`, creating it and its folder when missing.
    // A file that is damaged, or of a schema this program does not know, is
    // moved aside with its companion files (never deleted) and an empty list
    // started in its place; Opening() says where it went. Never throws: when
    // no database can be had, the store keeps nothing, every write fails, and
    // Opening() says why.
    explicit SqliteListStore(const std::string& path);
    ~SqliteListStore() override;
    SqliteListStore(const SqliteListStore&) = delete;
    SqliteListStore& operator=(const SqliteListStore&) = delete;

    platform::StoreOpening Opening() const override;
    // Reads in the order index and counts the rows of the table itself. When
    // they differ, the index is rebuilt and the list read again; a list that
    // still cannot be read whole is moved aside as damaged (Opening() says
    // where) and an empty one started. A read error of another kind gives the
    // items read before it.
    platform::LoadedList LoadAll() override;
    // Each write first looks whether the file at the store's path is still
    // the one open, and fails as gone (platform::IsStoreGone), writing
    // nothing, when it is not. An item given with an id (above 0) is kept
    // with it, and fails where a record has it already.
    Result<int64_t> Insert(const platform::StoredItem& item) override;
    // Fails also when no item has `item.id`.
    Status Update(const platform::StoredItem& item) override;
    // Fails also when no item has `id`.
    Status Remove(int64_t id) override;
    // Fails, changing nothing, when any of the items is missing.
    Status Apply(const std::vector<platform::StoredItem>& updates,
                 const std::vector<int64_t>& removals) override;
    // Fails, changing nothing, when either item is missing.
    Status SwapOrder(int64_t first, int64_t second) override;
    Status Clear() override;
    // Opens the file at the store's path again (making its folder) when the
    // one open has gone, or when the last whole write failed. Never writes
    // where the opening found no usable database. Items given with ids are
    // kept with them.
    Result<std::vector<int64_t>> ReplaceAll(
        const std::vector<platform::StoredItem>& items) override;
    Status Record(const platform::HistoryEntry& entry) override;

    // Keeps the store's other callers waiting while the caller uses the
    // database it holds.
    std::unique_lock<std::recursive_mutex> Hold() const;
    // The open database, for the history kept in it, while held; none while
    // no usable file is open or the one open has gone.
    sqlite3* Handle() const;

private:
    class Connection;
    struct Opened;

    // Opens the database at `path`, moving a damaged one aside.
    static Opened OpenAt(const std::string& path);
    // Closes the database, moves it aside as damaged and starts an empty one.
    void SetAside();
    Status ReadyToWrite() const;
    // The failure of the last statement, in SQLite's words.
    Failure Failed() const;
    Status UpdateRow(const platform::StoredItem& item);
    Result<int64_t> InsertRow(const platform::StoredItem& item);
    Status RemoveRow(int64_t id);
    Result<std::vector<int64_t>> Replace(const std::vector<platform::StoredItem>& items);
    bool WriteOrderKey(int64_t id, int64_t order_key);
    Result<int64_t> ReadOrderKey(int64_t id);

    const std::string path_;
    platform::StoreOpening opening_;
    // None when the store is unusable, or could not be opened again.
    std::unique_ptr<Connection> connection_;
    // Why the store could not be opened again; empty when it was.
    std::string reopen_problem_;
    mutable std::recursive_mutex use_;
};

} // namespace tarnwick::sqlite
