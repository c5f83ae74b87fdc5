// The download list kept in an SQLite database file. Each item is one row,
// and the list's order is that of an indexed order key rather than of
// positions, so that adding, removing or moving an item writes one or two
// rows however long the list is.
#pragma once

#include "platform/list_store.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::sqlite {

class SqliteListStore : public platform::ListStore {
public:
    // Kept in the file's user_version. A file with another version (or with
    // tables this program did not make) is not read but moved aside.
    static constexpr int kSchemaVersion = 1;

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
    // On a read error midway, the items read before it.
    std::vector<platform::StoredItem> LoadAll() override;
    std::optional<int64_t> Insert(const platform::StoredItem& item) override;
    // False also when no item has `item.id`.
    bool Update(const platform::StoredItem& item) override;
    // False also when no item has `id`.
    bool Remove(int64_t id) override;
    // False, changing nothing, when either item is missing.
    bool SwapOrder(int64_t first, int64_t second) override;
    bool Clear() override;

private:
    class Connection;

    // Opens the database, moving a damaged one aside; sets connection_ or
    // opening_.unusable_reason.
    void Open(const std::string& path);
    bool WriteOrderKey(int64_t id, int64_t order_key);
    std::optional<int64_t> ReadOrderKey(int64_t id);

    platform::StoreOpening opening_;
    // None when the store is unusable.
    std::unique_ptr<Connection> connection_;
};

} // namespace tarnwick::sqlite
