// SqliteListStore on files in a temporary folder: every field kept byte for
// byte, the order kept by keys without rewriting other rows, damaged or
// foreign files moved aside untouched, and an unusable place failing softly.
#include "sqlite/sqlite_list_store.h"
#include "support/temp_folder.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::sqlite {
namespace {

using platform::StoredItem;
using test_support::ReadWholeFile;
using test_support::TempFolder;
using test_support::WriteWholeFile;

StoredItem NumberedItem(int number) {
    StoredItem item;
    item.page_address = "https://video.example/watch?v=" + std::to_string(number);
    item.name = "Clip " + std::to_string(number) + ".mp4";
    item.received = number;
    return item;
}

// Inserts `count` numbered items; their ids, in order.
std::vector<int64_t> Fill(SqliteListStore& store, int count) {
    std::vector<int64_t> ids;
    for (int number = 0; number < count; ++number)
        ids.push_back(*store.Insert(NumberedItem(number)));
    return ids;
}

std::vector<int64_t> IdsOf(const std::vector<StoredItem>& items) {
    std::vector<int64_t> ids;
    for (const StoredItem& item : items) ids.push_back(item.id);
    return ids;
}

// Runs SQL on the file through a connection of its own.
void RunSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
}

TEST(SqliteListStoreFields, EveryFieldComesBackFromTheFileExactly) {
    TempFolder folder;
    const std::string path = folder.File("not yet made/list.db");
    StoredItem full{.page_address = "https://vidéo.example/w?v=\"x\"&t='1'",
                    .site = 7,
                    .name_kind = 2,
                    .name = "Ünïcödé 名前 🎬 \"it's\".mp4",
                    .state = 3,
                    .size_kind = 1,
                    .total_size = std::numeric_limits<int64_t>::max(),
                    .received = std::numeric_limits<int64_t>::min(),
                    .failure_reason = 4,
                    .http_status = 503,
                    .failure_detail = "Service Unavailable; 'retry'",
                    .temporary_path = "/tmp/päth/x.part",
                    .validator = "\"etag\xff\xfe not UTF-8\""};
    StoredItem plain; // empty texts and the defaults
    {
        SqliteListStore store(path);
        EXPECT_EQ(store.Opening().unusable_reason, "");
        full.id = *store.Insert(full);
        plain.id = *store.Insert(plain);
    }
    EXPECT_EQ(SqliteListStore(path).LoadAll(), (std::vector<StoredItem>{full, plain}));

    StoredItem changed = full;
    changed.id = plain.id;
    EXPECT_TRUE(SqliteListStore(path).Update(changed));
    EXPECT_EQ(SqliteListStore(path).LoadAll(), (std::vector<StoredItem>{full, changed}));
}

TEST(SqliteListStoreOrder, KeysMoveAndAppendWhileMissingItemsChangeNothing) {
    TempFolder folder;
    const std::string path = folder.File("list.db");
    SqliteListStore store(path);
    const std::vector<int64_t> ids = Fill(store, 4); // a b c d
    ASSERT_TRUE(store.SwapOrder(ids[0], ids[3]));    // d b c a
    const int64_t e = *store.Insert(NumberedItem(4));
    EXPECT_TRUE(store.Remove(ids[1]));
    const std::vector<int64_t> expected = {ids[3], ids[2], ids[0], e};
    EXPECT_EQ(IdsOf(store.LoadAll()), expected);

    EXPECT_FALSE(store.SwapOrder(ids[3], ids[1])) << "the second is gone";
    EXPECT_FALSE(store.Remove(ids[1]));
    StoredItem gone = NumberedItem(1);
    gone.id = ids[1];
    EXPECT_FALSE(store.Update(gone));
    EXPECT_EQ(IdsOf(SqliteListStore(path).LoadAll()), expected);

    ASSERT_TRUE(store.Remove(e));
    EXPECT_NE(*store.Insert(NumberedItem(5)), e) << "an id is never given twice";
}

// Bytes the log takes for `change`, from an emptied log on.
template <typename Change>
uintmax_t LogBytesOf(const std::string& path, Change change) {
    RunSql(path, "PRAGMA wal_checkpoint(TRUNCATE)");
    EXPECT_EQ(std::filesystem::file_size(path + "-wal"), 0u);
    change();
    return std::filesystem::file_size(path + "-wal");
}

TEST(SqliteListStoreLongList, LoadsInOrderAndChangesWriteOnlyTheRowsConcerned) {
    constexpr int kCount = 32'767;
    constexpr uintmax_t kFewPages = 64 * 1024; // rewriting the list would take hundreds
    TempFolder folder;
    const std::string path = folder.File("list.db");
    std::vector<int64_t> ids;
    {
        SqliteListStore filling(path);
        ids = Fill(filling, kCount);
    }
    SqliteListStore store(path); // loaded as at a start of the program
    const auto start = std::chrono::steady_clock::now();
    const std::vector<StoredItem> loaded = store.LoadAll();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("[ measured ] LoadAll of %zu items took %.1f ms\n", loaded.size(), took.count());
    ASSERT_EQ(IdsOf(loaded), ids);
    StoredItem last = NumberedItem(kCount - 1);
    last.id = ids.back();
    EXPECT_EQ(loaded.back(), last);

    EXPECT_LT(LogBytesOf(path, [&] { EXPECT_TRUE(store.Remove(ids.front())); }), kFewPages);
    ids.erase(ids.begin());
    EXPECT_LT(LogBytesOf(path, [&] { EXPECT_TRUE(store.SwapOrder(ids.front(), ids.back())); }),
              kFewPages);
    std::swap(ids.front(), ids.back());
    EXPECT_EQ(IdsOf(store.LoadAll()), ids);
}

TEST(SqliteListStoreClear, ForgetsEveryItemForGood) {
    TempFolder folder;
    const std::string path = folder.File("list.db");
    {
        SqliteListStore store(path);
        Fill(store, 3);
        EXPECT_TRUE(store.Clear());
    }
    EXPECT_TRUE(SqliteListStore(path).LoadAll().empty());
}

// The store at `path` moved what was there to `aside` unchanged, and works.
void ExpectMovedAsideAndFresh(const std::string& path, const std::string& aside,
                              const std::vector<std::pair<std::string, std::string>>& files) {
    {
        SqliteListStore store(path);
        EXPECT_EQ(store.Opening().moved_aside_to, aside);
        EXPECT_EQ(store.Opening().unusable_reason, "");
        EXPECT_TRUE(store.LoadAll().empty());
        EXPECT_TRUE(store.Insert(NumberedItem(0)));
    }
    for (const auto& [suffix, bytes] : files) EXPECT_EQ(ReadWholeFile(aside + suffix), bytes);
    SqliteListStore reopened(path);
    EXPECT_EQ(reopened.Opening().moved_aside_to, "") << "nothing more to move";
    EXPECT_EQ(reopened.LoadAll().size(), 1u);
}

TEST(SqliteListStoreDamage, AFileThatIsNoDatabaseGoesAsideWithItsCompanions) {
    TempFolder folder;
    const std::string path = folder.File("list.db");
    const std::vector<std::pair<std::string, std::string>> files = {
        {"", std::string(5000, 'x')}, {"-wal", "log bytes"}, {"-shm", "index bytes"}};
    for (const auto& [suffix, bytes] : files) WriteWholeFile(path + suffix, bytes);
    ExpectMovedAsideAndFresh(path, path + ".damaged-1", files);
}

TEST(SqliteListStoreDamage, ADamagedDatabaseGoesAsideUnderTheFirstNumberFreeForAll) {
    TempFolder folder;
    const std::string path = folder.File("list.db");
    SqliteListStore(path).Insert(NumberedItem(0));
    // A database's header over garbage: SQLite opens it, and its log with it.
    const std::string damaged = ReadWholeFile(path).substr(0, 100) + std::string(8000, 'x');
    WriteWholeFile(path, damaged);
    WriteWholeFile(path + "-wal", "log bytes");
    WriteWholeFile(path + ".damaged-1", "earlier");
    WriteWholeFile(path + ".damaged-2-wal", "earlier log");
    ExpectMovedAsideAndFresh(path, path + ".damaged-3", {{"", damaged}, {"-wal", "log bytes"}});
    EXPECT_EQ(ReadWholeFile(path + ".damaged-1"), "earlier");
    EXPECT_EQ(ReadWholeFile(path + ".damaged-2-wal"), "earlier log");
}

TEST(SqliteListStoreDamage, AnEmptyFileBesideALogKeepsTheLog) {
    TempFolder folder;
    const std::string path = folder.File("list.db");
    WriteWholeFile(path, "");
    WriteWholeFile(path + "-wal", "the only copy of the latest changes");
    ExpectMovedAsideAndFresh(path, path + ".damaged-1",
                             {{"", ""}, {"-wal", "the only copy of the latest changes"}});
}

struct ForeignSchema {
    const char* name;
    std::string sql; // run on a database the store made
};

void PrintTo(const ForeignSchema& schema, std::ostream* out) { *out << schema.name; }

class SqliteListStoreForeign : public testing::TestWithParam<ForeignSchema> {};

TEST_P(SqliteListStoreForeign, IsMovedAsideUnchanged) {
    TempFolder folder;
    const std::string path = folder.File("list.db");
    SqliteListStore(path).Insert(NumberedItem(0));
    RunSql(path, GetParam().sql);
    ExpectMovedAsideAndFresh(path, path + ".damaged-1", {{"", ReadWholeFile(path)}});
}

INSTANTIATE_TEST_SUITE_P(
    Schemas, SqliteListStoreForeign,
    testing::Values(
        ForeignSchema{"LaterVersion", "PRAGMA user_version = " +
                                          std::to_string(SqliteListStore::kSchemaVersion + 1)},
        ForeignSchema{"ItemsWithoutOurColumns", "ALTER TABLE items DROP COLUMN validator"},
        ForeignSchema{"OtherTablesUnversioned",
                      "DROP TABLE items; CREATE TABLE clips (url TEXT); PRAGMA user_version = 0"}),
    [](const testing::TestParamInfo<ForeignSchema>& info) { return info.param.name; });

TEST(SqliteListStoreUnusable, BelowAFileEveryCallFailsAndSaysWhy) {
    TempFolder folder;
    WriteWholeFile(folder.File("file"), "a file, not a folder");
    SqliteListStore store(folder.File("file") + "/list.db");
    EXPECT_TRUE(store.Opening().unusable_reason.starts_with("The list cannot be kept in " +
                                                            folder.File("file") + ": "));
    EXPECT_EQ(store.Opening().moved_aside_to, "");
    EXPECT_TRUE(store.LoadAll().empty());
    EXPECT_FALSE(store.Insert(NumberedItem(0)));
    EXPECT_FALSE(store.Update(NumberedItem(0)));
    EXPECT_FALSE(store.Remove(1));
    EXPECT_FALSE(store.SwapOrder(1, 2));
    EXPECT_FALSE(store.Clear());
    EXPECT_EQ(ReadWholeFile(folder.File("file")), "a file, not a folder");
}

TEST(SqliteListStoreUnusable, AListThatCannotBeOpenedNowStaysWhereItIs) {
    TempFolder folder;
    const std::string place = folder.File("downloads.db");
    std::filesystem::create_directory(place);
    WriteWholeFile(place + "/inside", "kept");
    SqliteListStore store(place);
    EXPECT_NE(store.Opening().unusable_reason, "");
    EXPECT_EQ(store.Opening().moved_aside_to, "");
    EXPECT_EQ(ReadWholeFile(place + "/inside"), "kept");
}

} // namespace
} // namespace tarnwick::sqlite
