// SqliteListStore on files in a temporary folder: every field kept byte for
// byte, the order kept by keys without rewriting other rows, a whole list
// written all or nothing, damaged or foreign files moved aside untouched, a
// file that went away noticed and made again, and an unusable place failing
// softly.
#include "sqlite/sqlite_list_store.h"

#include "support/temp_folder.h"
#include "transfer/kept.h"

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

namespace fs = std::filesystem;
using platform::StoredItem;
using test_support::ReadWholeFile;
using test_support::TempFolder;
using test_support::WriteWholeFile;

StoredItem NumberedItem(int number) {
    StoredItem item;
    item.page_address = "https://video.example/watch?v=" + std::to_string(number);
    item.name = "Clip " + std::to_string(number) + ".mp4";
    item.total_size = number;
    return item;
}

// How a write ended: done, failed with the file in place, or found it gone.
enum class Ended { kDone, kFailed, kGone };
template <typename T>
Ended EndOf(const Result<T>& written) {
    if (written) return Ended::kDone;
    return platform::IsStoreGone(written.failure()) ? Ended::kGone : Ended::kFailed;
}

// Inserts `count` numbered items; their ids, in order.
std::vector<int64_t> Fill(SqliteListStore& store, int count) {
    std::vector<int64_t> ids;
    for (int number = 0; number < count; ++number)
        ids.push_back(store.Insert(NumberedItem(number)).value());
    return ids;
}

std::vector<StoredItem> NumberedItems(int first, int count) {
    std::vector<StoredItem> items;
    for (int number = first; number < first + count; ++number)
        items.push_back(NumberedItem(number));
    return items;
}

std::vector<int64_t> IdsOf(const std::vector<StoredItem>& items) {
    std::vector<int64_t> ids;
    for (const StoredItem& item : items) ids.push_back(item.id);
    return ids;
}

std::vector<std::string> NamesOf(const std::vector<StoredItem>& items) {
    std::vector<std::string> names;
    for (const StoredItem& item : items) names.push_back(item.name);
    return names;
}

// Runs SQL on the file through a connection of its own; the first column of
// the last row it gives, if any.
std::string RunSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string last;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const auto keep = [](void* out, int, char** values, char**) {
        *static_cast<std::string*>(out) = values[0] != nullptr ? values[0] : "";
        return 0;
    };
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), keep, &last, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
    return last;
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
                    .failure_reason = 4,
                    .http_status = 503,
                    .failure_detail = "Service Unavailable; 'retry'",
                    .resolved =
                        "{\"url\":\"https://cdn.example/v?a=1&b='2'\",\n"
                        "\"headers\":{\"Referer\":\"é 🎬\\\"\"},\"kind\":\"http\"}",
                    .title = "A title: \"é 🎬\"",
                    .kept =
                        "{\"parts\":{\"path\":\"/tmp/päth/"
                        "x.part\",\"validator\":\"\\\"etag\xff\xfe not UTF-8\\\"\"}}",
                    .context = "{\"r\":\"https://page.example/é\",\"c\":[{\"n\":\"sid\"}]}",
                    .choice = "quality=720 sound=mp3"};
    StoredItem plain; // empty texts and the defaults
    {
        SqliteListStore store(path);
        EXPECT_EQ(store.Opening().unusable_reason, "");
        full.id = store.Insert(full).value();
        plain.id = store.Insert(plain).value();
    }
    EXPECT_EQ(SqliteListStore(path).LoadAll().items, (std::vector<StoredItem>{full, plain}));

    StoredItem changed = full;
    changed.id = plain.id;
    EXPECT_TRUE(SqliteListStore(path).Update(changed).has_value());
    EXPECT_EQ(SqliteListStore(path).LoadAll().items, (std::vector<StoredItem>{full, changed}));
}

TEST(SqliteListStoreOrder, KeysMoveAndAppendWhileMissingItemsChangeNothing) {
    TempFolder folder;
    const std::string path = folder.File("list.db");
    SqliteListStore store(path);
    const std::vector<int64_t> ids = Fill(store, 4);          // a b c d
    ASSERT_TRUE(store.SwapOrder(ids[0], ids[3]).has_value()); // d b c a
    const int64_t e = store.Insert(NumberedItem(4)).value();
    EXPECT_TRUE(store.Remove(ids[1]).has_value());
    const std::vector<int64_t> expected = {ids[3], ids[2], ids[0], e};
    EXPECT_EQ(IdsOf(store.LoadAll().items), expected);

    EXPECT_EQ(EndOf(store.SwapOrder(ids[3], ids[1])), Ended::kFailed) << "the second is gone";
    EXPECT_EQ(EndOf(store.Remove(ids[1])), Ended::kFailed);
    StoredItem gone = NumberedItem(1);
    gone.id = ids[1];
    EXPECT_EQ(EndOf(store.Update(gone)), Ended::kFailed);
    EXPECT_EQ(IdsOf(store.LoadAll().items), expected);

    ASSERT_TRUE(store.Remove(e).has_value());
    EXPECT_NE(store.Insert(NumberedItem(5)).value(), e) << "an id is never given twice";
}

// Bytes the log takes for `change`, made by a store opened on an emptied log.
template <typename Change>
uintmax_t LogBytesOf(const std::string& path, Change change) {
    RunSql(path, "PRAGMA wal_checkpoint(TRUNCATE)");
    SqliteListStore store(path);
    change(store);
    return fs::file_size(path + "-wal");
}

TEST(SqliteListStoreLongList, LoadsInOrderAndChangesWriteOnlyTheRowsConcerned) {
    constexpr int kCount = 32'767;
    constexpr uintmax_t kFewPages = 64 * 1024; // rewriting the list would take hundreds
    TempFolder folder;
    const std::string path = folder.File("list.db");
    std::vector<int64_t> ids;
    {
        SqliteListStore filling(path);
        const auto start = std::chrono::steady_clock::now();
        ids = filling.ReplaceAll(NumberedItems(0, kCount)).value();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        std::printf("[ measured ] ReplaceAll of %zu items took %.1f ms\n", ids.size(),
                    took.count());
    }
    {
        SqliteListStore store(path); // loaded as at a start of the program
        const auto start = std::chrono::steady_clock::now();
        const platform::LoadedList loaded = store.LoadAll();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        std::printf("[ measured ] LoadAll of %zu items took %.1f ms\n", loaded.items.size(),
                    took.count());
        EXPECT_TRUE(loaded.whole);
        ASSERT_EQ(IdsOf(loaded.items), ids);
        StoredItem last = NumberedItem(kCount - 1);
        last.id = ids.back();
        EXPECT_EQ(loaded.items.back(), last);
    }
    const auto remove = [&](SqliteListStore& store) {
        EXPECT_TRUE(store.Remove(ids.front()).has_value());
    };
    EXPECT_LT(LogBytesOf(path, remove), kFewPages);
    ids.erase(ids.begin());
    const auto swap = [&](SqliteListStore& store) {
        EXPECT_TRUE(store.SwapOrder(ids.front(), ids.back()).has_value());
    };
    EXPECT_LT(LogBytesOf(path, swap), kFewPages);
    std::swap(ids.front(), ids.back());
    EXPECT_EQ(IdsOf(SqliteListStore(path).LoadAll().items), ids);
}

TEST(SqliteListStoreClear, ForgetsEveryItemForGood) {
    TempFolder folder;
    const std::string path = folder.File("list.db");
    {
        SqliteListStore store(path);
        Fill(store, 3);
        EXPECT_TRUE(store.Clear().has_value());
    }
    EXPECT_TRUE(SqliteListStore(path).LoadAll().items.empty());
}

TEST(SqliteListStoreReplace, TheWholeListIsWrittenAllOrNothing) {
    TempFolder folder;
    const std::string path = folder.File("list.db");
    ASSERT_TRUE(SqliteListStore(path).ReplaceAll(NumberedItems(0, 2)).has_value());
    RunSql(path,
           "CREATE TRIGGER refuse BEFORE INSERT ON items WHEN NEW.name = 'Clip 13.mp4' "
           "BEGIN SELECT RAISE(ABORT, 'refused here'); END");
    {
        SqliteListStore store(path);
        const Result<std::vector<int64_t>> refused = store.ReplaceAll(NumberedItems(10, 5));
        ASSERT_EQ(EndOf(refused), Ended::kFailed);
        EXPECT_EQ(refused.failure().detail, "refused here");
    }
    SqliteListStore store(path);
    EXPECT_EQ(NamesOf(store.LoadAll().items), NamesOf(NumberedItems(0, 2)))
        << "the list kept before, untouched";
    const Result<std::vector<int64_t>> replaced = store.ReplaceAll(NumberedItems(20, 3));
    ASSERT_TRUE(replaced.has_value()) << replaced.failure().detail;
    const std::vector<StoredItem> loaded = store.LoadAll().items;
    EXPECT_EQ(NamesOf(loaded), NamesOf(NumberedItems(20, 3)));
    EXPECT_EQ(IdsOf(loaded), replaced.value());
}

TEST(SqliteListStoreIds, ItemsGivenIdsKeepThemAndATakenIdIsRefused) {
    TempFolder folder;
    SqliteListStore store(folder.File("list.db"));
    std::vector<StoredItem> items = NumberedItems(0, 2);
    items[0].id = 41;
    items[1].id = 40;
    ASSERT_EQ(store.ReplaceAll(items).value(), (std::vector<int64_t>{41, 40}));
    StoredItem third = NumberedItem(2);
    third.id = 40;
    EXPECT_EQ(EndOf(store.Insert(third)), Ended::kFailed);
    third.id = 50;
    EXPECT_EQ(store.Insert(third).value(), 50);
    EXPECT_EQ(IdsOf(store.LoadAll().items), (std::vector<int64_t>{41, 40, 50}));
}

TEST(SqliteListStoreApply, ChangesAndRemovalsOfManyItemsAreAllOrNothing) {
    TempFolder folder;
    SqliteListStore store(folder.File("list.db"));
    const std::vector<int64_t> ids = Fill(store, 5);
    StoredItem renamed = NumberedItem(1);
    renamed.id = ids[1];
    renamed.name = "renamed.mp4";
    StoredItem missing = NumberedItem(9);
    missing.id = 999;
    EXPECT_EQ(EndOf(store.Apply({renamed, missing}, {ids[0]})), Ended::kFailed);
    EXPECT_EQ(IdsOf(store.LoadAll().items), ids) << "nothing of it was written";
    ASSERT_TRUE(store.Apply({renamed}, {ids[0], ids[3]}).has_value());
    const std::vector<StoredItem> loaded = store.LoadAll().items;
    EXPECT_EQ(IdsOf(loaded), (std::vector<int64_t>{ids[1], ids[2], ids[4]}));
    EXPECT_EQ(loaded[0].name, "renamed.mp4");
}

// The store at `path` moved what was there to `aside` unchanged, and works.
void ExpectMovedAsideAndFresh(const std::string& path, const std::string& aside,
                              const std::vector<std::pair<std::string, std::string>>& files) {
    {
        SqliteListStore store(path);
        EXPECT_EQ(store.Opening().moved_aside_to, aside);
        EXPECT_EQ(store.Opening().unusable_reason, "");
        const platform::LoadedList loaded = store.LoadAll();
        EXPECT_TRUE(loaded.items.empty());
        EXPECT_FALSE(loaded.whole) << "the list moved aside may own files";
        EXPECT_TRUE(store.Insert(NumberedItem(0)).has_value());
    }
    for (const auto& [suffix, bytes] : files) EXPECT_EQ(ReadWholeFile(aside + suffix), bytes);
    SqliteListStore reopened(path);
    EXPECT_EQ(reopened.Opening().moved_aside_to, "") << "nothing more to move";
    const platform::LoadedList loaded = reopened.LoadAll();
    EXPECT_EQ(loaded.items.size(), 1u);
    EXPECT_TRUE(loaded.whole);
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
    ASSERT_TRUE(SqliteListStore(path).Insert(NumberedItem(0)).has_value());
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

// A list as the fourth version kept it, with a row of each kind of kept
// file: a file written from its start, one in parts, a stream's pieces, and
// none.
constexpr const char* kFourthVersionSql =
    "CREATE TABLE items (id INTEGER PRIMARY KEY AUTOINCREMENT, order_key INTEGER NOT NULL, "
    "page_address TEXT NOT NULL, site INTEGER NOT NULL, name_kind INTEGER NOT NULL, "
    "name TEXT NOT NULL, state INTEGER NOT NULL, size_kind INTEGER NOT NULL, "
    "total_size INTEGER NOT NULL, kept INTEGER NOT NULL, failure_reason INTEGER NOT NULL, "
    "http_status INTEGER NOT NULL, failure_detail TEXT NOT NULL, temporary_path TEXT NOT NULL, "
    "validator TEXT NOT NULL, resolved TEXT NOT NULL, parts TEXT NOT NULL); "
    "CREATE INDEX items_by_order ON items (order_key); "
    "INSERT INTO items VALUES (1, 1, 'http://a/plain', -1, 4, 'plain.mp4', 6, 1, 10, 5, -1, 0, '', "
    "'/v/plain.mp4.1.tarnwick.part', '\"e1\"', '', ''); "
    "INSERT INTO items VALUES (2, 2, 'http://a/parts', -1, 4, 'parts.mp4', 6, 1, 16, 6, -1, 0, '', "
    "'/v/parts.mp4.2.tarnwick.part', '\"e2\"', '', '0-8=4 8-16=2'); "
    "INSERT INTO items VALUES (3, 3, 'http://a/stream', -1, 4, 'stream.ts', 6, 5, 0, 100, -1, 0, "
    "'', "
    "'/v/stream.ts.3.tarnwick.part', 'hls:3/9/00000000000000ff', '', ''); "
    "INSERT INTO items VALUES (4, 4, 'http://a/none', -1, 0, '', 0, 0, 0, 0, -1, 0, '', '', '', "
    "'{\"url\":\"https://cdn.example/4\"}', ''); "
    "PRAGMA user_version = 4;";

// How a list of an earlier version differs from one of the fourth.
struct EarlierVersion {
    const char* name;
    std::string sql; // run on a database of the fourth version
    // Whether the version had the columns of parts and of resolvers.
    bool with_parts;
    bool with_resolved;
};

void PrintTo(const EarlierVersion& earlier, std::ostream* out) { *out << earlier.name; }

class SqliteListStoreEarlierVersion : public testing::TestWithParam<EarlierVersion> {};

TEST_P(SqliteListStoreEarlierVersion, IsBroughtUpToDateKeepingEveryItemAndWhatItKept) {
    TempFolder folder;
    const std::string path = folder.File("list.db");
    RunSql(path, kFourthVersionSql);
    RunSql(path, GetParam().sql);
    {
        SqliteListStore store(path);
        EXPECT_EQ(store.Opening().unusable_reason, "");
        std::vector<StoredItem> loaded = store.LoadAll().items;
        ASSERT_EQ(loaded.size(), 4u);
        const std::vector<std::optional<transfer::Kept>> kept = {
            transfer::KeptWhole{"/v/plain.mp4.1.tarnwick.part", 5, 10, "\"e1\""},
            GetParam().with_parts
                ? std::optional<transfer::Kept>(
                      transfer::KeptParts{"/v/parts.mp4.2.tarnwick.part", "\"e2\"",
                                          *transfer::PartLayout::Read("0-8=4 8-16=2", 16)})
                : transfer::KeptWhole{"/v/parts.mp4.2.tarnwick.part", 6, 16, "\"e2\""},
            transfer::KeptStream{"/v/stream.ts.3.tarnwick.part", 100, 3, 9, 0xff}, std::nullopt};
        for (size_t i = 0; i < kept.size(); ++i) {
            EXPECT_EQ(loaded[i].kept.empty() ? std::nullopt : transfer::ReadKept(loaded[i].kept),
                      kept[i])
                << loaded[i].page_address;
        }
        EXPECT_EQ(loaded[3].resolved,
                  GetParam().with_resolved ? "{\"url\":\"https://cdn.example/4\"}" : "");
        loaded[3].kept = transfer::KeptText(*kept[0]);
        EXPECT_TRUE(store.Update(loaded[3]).has_value());
    }
    EXPECT_EQ(
        SqliteListStore(path).LoadAll().items.at(3).kept,
        transfer::KeptText(transfer::KeptWhole{"/v/plain.mp4.1.tarnwick.part", 5, 10, "\"e1\""}));
    EXPECT_EQ(RunSql(path, "PRAGMA user_version"), std::to_string(SqliteListStore::kSchemaVersion));
    EXPECT_EQ(RunSql(path,
                     "SELECT count(*) FROM pragma_table_info('items') WHERE name IN "
                     "('kept', 'received', 'temporary_path', 'validator', 'parts')"),
              "0");
    EXPECT_FALSE(fs::exists(path + ".damaged-1"));
}

INSTANTIATE_TEST_SUITE_P(
    Versions, SqliteListStoreEarlierVersion,
    testing::Values(EarlierVersion{"First",
                                   "ALTER TABLE items DROP COLUMN parts; "
                                   "ALTER TABLE items DROP COLUMN resolved; "
                                   "ALTER TABLE items RENAME COLUMN kept TO received; "
                                   "PRAGMA user_version = 1",
                                   false, false},
                    EarlierVersion{"Second",
                                   "ALTER TABLE items DROP COLUMN parts; "
                                   "ALTER TABLE items DROP COLUMN resolved; "
                                   "PRAGMA user_version = 2",
                                   false, false},
                    EarlierVersion{"Third",
                                   "ALTER TABLE items DROP COLUMN parts; PRAGMA user_version = 3",
                                   false, true},
                    EarlierVersion{"Fourth", "", true, true}),
    [](const testing::TestParamInfo<EarlierVersion>& info) { return info.param.name; });

TEST(SqliteListStoreEarlierVersion,
     AFifthVersionListGainsTheLaterColumnsAndTheHistoryKeepingItsItems) {
    TempFolder folder;
    const std::string path = folder.File("list.db");
    StoredItem item{.page_address = "https://a.example/1", .title = "One"};
    item.id = SqliteListStore(path).Insert(item).value();
    RunSql(path,
           "ALTER TABLE items DROP COLUMN context; ALTER TABLE items DROP COLUMN choice; "
           "ALTER TABLE items DROP COLUMN history; DROP TABLE history_words; "
           "DROP TABLE history; PRAGMA user_version = 5");
    item.context = "{}";
    item.choice = "quality=best";
    {
        SqliteListStore store(path);
        EXPECT_EQ(store.LoadAll().items.at(0).title, "One");
        EXPECT_TRUE(store.Update(item).has_value());
    }
    EXPECT_EQ(SqliteListStore(path).LoadAll().items, std::vector<StoredItem>{item});
    EXPECT_EQ(RunSql(path, "PRAGMA user_version"), std::to_string(SqliteListStore::kSchemaVersion));
}

TEST(SqliteListStorePrivacy, TheListItsCompanionsAndItsFolderAreTheUsersAlone) {
    TempFolder folder;
    const fs::path data = folder.File("data");
    fs::create_directory(data);
    fs::permissions(data, fs::perms(0755));
    const std::string path = (data / "list.db").string();
    RunSql(path, "PRAGMA user_version = 0");
    fs::permissions(path, fs::perms(0644));
    SqliteListStore store(path);
    ASSERT_TRUE(store.Insert(StoredItem{.page_address = "https://a.example/1"}).has_value());
    EXPECT_EQ(fs::status(data).permissions(), fs::perms(0700));
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0600));
    EXPECT_EQ(fs::status(path + "-wal").permissions(), fs::perms(0600));
    const std::string fresh = folder.File("fresh/list.db");
    SqliteListStore made(fresh);
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms(0600)) << "private from the first byte";
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
    ASSERT_TRUE(SqliteListStore(path).Insert(NumberedItem(0)).has_value());
    RunSql(path, GetParam().sql);
    ExpectMovedAsideAndFresh(path, path + ".damaged-1", {{"", ReadWholeFile(path)}});
}

INSTANTIATE_TEST_SUITE_P(
    Schemas, SqliteListStoreForeign,
    testing::Values(
        ForeignSchema{"LaterVersion", "PRAGMA user_version = " +
                                          std::to_string(SqliteListStore::kSchemaVersion + 1)},
        ForeignSchema{"ItemsWithoutOurColumns", "ALTER TABLE items DROP COLUMN kept_record"},
        ForeignSchema{"SecondVersionWithoutItsColumns",
                      "ALTER TABLE items DROP COLUMN kept_record; PRAGMA user_version = 2"},
        ForeignSchema{"OtherTablesUnversioned",
                      "DROP TABLE items; CREATE TABLE clips (url TEXT); PRAGMA user_version = 0"}),
    [](const testing::TestParamInfo<ForeignSchema>& info) { return info.param.name; });

// A list of five whose order index lacks the third item's row, as a damaged
// file may have it, which passes SQLite's quick check: the index is made
// partial, and its schema then rewritten to say that it is whole.
struct IndexDamage {
    const char* name;
    const char* index;   // as the damaged schema says it is
    bool can_be_rebuilt; // or the list cannot be read whole
};

void PrintTo(const IndexDamage& damage, std::ostream* out) { *out << damage.name; }

class SqliteListStoreIndexDamage : public testing::TestWithParam<IndexDamage> {};

TEST_P(SqliteListStoreIndexDamage, NoItemIsMissedUnnoticed) {
    TempFolder folder;
    const std::string path = folder.File("list.db");
    const std::string index = GetParam().index;
    const bool unique = index.starts_with("CREATE UNIQUE");
    ASSERT_TRUE(SqliteListStore(path).ReplaceAll(NumberedItems(0, 5)).has_value());
    RunSql(path, std::string(unique ? "UPDATE items SET order_key = 2 WHERE id = 3; " : "") +
                     "DROP INDEX items_by_order; CREATE " + (unique ? "UNIQUE " : "") +
                     "INDEX items_by_order ON items (order_key) WHERE id <> 3; "
                     "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = '" +
                     index + "' WHERE name = 'items_by_order'; PRAGMA writable_schema = OFF");
    ASSERT_EQ(RunSql(path, "PRAGMA quick_check"), "ok");
    const std::string bytes = ReadWholeFile(path);

    SqliteListStore store(path);
    const platform::LoadedList loaded = store.LoadAll();
    if (GetParam().can_be_rebuilt) {
        EXPECT_EQ(NamesOf(loaded.items), NamesOf(NumberedItems(0, 5)));
        EXPECT_TRUE(loaded.whole);
        EXPECT_EQ(store.Opening().moved_aside_to, "");
        return;
    }
    EXPECT_TRUE(loaded.items.empty());
    EXPECT_FALSE(loaded.whole) << "the list moved aside may own files";
    EXPECT_EQ(store.Opening().moved_aside_to, path + ".damaged-1");
    EXPECT_EQ(store.Opening().unusable_reason, "");
    EXPECT_EQ(ReadWholeFile(path + ".damaged-1"), bytes);
    EXPECT_TRUE(store.Insert(NumberedItem(9)).has_value()) << "an empty list is kept in its place";
}

INSTANTIATE_TEST_SUITE_P(
    Damages, SqliteListStoreIndexDamage,
    testing::Values(IndexDamage{"Rebuilt", "CREATE INDEX items_by_order ON items (order_key)",
                                true},
                    // Rebuilding fails: two rows have one order key.
                    IndexDamage{"CannotBeRebuilt",
                                "CREATE UNIQUE INDEX items_by_order ON items (order_key)", false}),
    [](const testing::TestParamInfo<IndexDamage>& info) { return info.param.name; });

// How the list's file goes away underneath the store, in the folder `data`.
struct Departure {
    const char* name;
    void (*go)(const std::string& data);
};

void PrintTo(const Departure& departure, std::ostream* out) { *out << departure.name; }

class SqliteListStoreGone : public testing::TestWithParam<Departure> {};

TEST_P(SqliteListStoreGone, IsNoticedAtTheNextWriteAndMadeAgainByTheWholeList) {
    TempFolder folder;
    const std::string data = folder.File("data");
    const std::string path = data + "/list.db";
    {
        SqliteListStore store(path);
        const std::vector<int64_t> ids = Fill(store, 2);
        EXPECT_FALSE(fs::exists(path + "-shm")) << "no file of the log's index to map in memory";
        GetParam().go(data);

        EXPECT_EQ(EndOf(store.Insert(NumberedItem(2))), Ended::kGone);
        StoredItem first = NumberedItem(0);
        first.id = ids[0];
        EXPECT_EQ(EndOf(store.Update(first)), Ended::kGone);
        EXPECT_EQ(EndOf(store.Remove(ids[1])), Ended::kGone);
        EXPECT_EQ(EndOf(store.SwapOrder(ids[0], ids[1])), Ended::kGone);
        const Result<std::vector<int64_t>> written = store.ReplaceAll(NumberedItems(0, 3));
        ASSERT_TRUE(written.has_value()) << written.failure().detail;
        EXPECT_TRUE(store.Insert(NumberedItem(3)).has_value()) << "kept from now on";
    }
    EXPECT_EQ(NamesOf(SqliteListStore(path).LoadAll().items), NamesOf(NumberedItems(0, 4)));
    if (fs::exists(data + "-elsewhere")) {
        EXPECT_EQ(NamesOf(SqliteListStore(data + "-elsewhere/list.db").LoadAll().items),
                  NamesOf(NumberedItems(0, 2)))
            << "nothing is written where the file went";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Departures, SqliteListStoreGone,
    testing::Values(
        Departure{"FilesRemoved",
                  [](const std::string& data) {
                      for (const auto& entry : fs::directory_iterator(data)) {
                          fs::remove(entry.path());
                      }
                  }},
        Departure{"LogRemoved", [](const std::string& data) { fs::remove(data + "/list.db-wal"); }},
        Departure{"FolderRemoved", [](const std::string& data) { fs::remove_all(data); }},
        Departure{"FolderMoved",
                  [](const std::string& data) { fs::rename(data, data + "-elsewhere"); }}),
    [](const testing::TestParamInfo<Departure>& info) { return info.param.name; });

TEST(SqliteListStoreGone, AFolderThatCannotBeMadeAgainFailsUntilItCan) {
    TempFolder folder;
    const std::string data = folder.File("data");
    SqliteListStore store(data + "/list.db");
    Fill(store, 2);
    fs::remove_all(data);
    WriteWholeFile(data, "a file in the folder's place");

    const Result<std::vector<int64_t>> refused = store.ReplaceAll(NumberedItems(0, 3));
    ASSERT_EQ(EndOf(refused), Ended::kFailed);
    EXPECT_NE(refused.failure().detail, "");
    EXPECT_EQ(EndOf(store.Insert(NumberedItem(3))), Ended::kFailed);
    EXPECT_EQ(ReadWholeFile(data), "a file in the folder's place");

    fs::remove(data);
    ASSERT_TRUE(store.ReplaceAll(NumberedItems(0, 3)).has_value());
    EXPECT_EQ(NamesOf(store.LoadAll().items), NamesOf(NumberedItems(0, 3)));
}

TEST(SqliteListStoreUnusable, BelowAFileEveryCallFailsAndSaysWhy) {
    TempFolder folder;
    WriteWholeFile(folder.File("file"), "a file, not a folder");
    SqliteListStore store(folder.File("file") + "/list.db");
    EXPECT_TRUE(store.Opening().unusable_reason.starts_with("The list cannot be kept in " +
                                                            folder.File("file") + ": "));
    EXPECT_EQ(store.Opening().moved_aside_to, "");
    EXPECT_TRUE(store.LoadAll().items.empty());
    EXPECT_FALSE(store.LoadAll().whole);
    EXPECT_EQ(EndOf(store.Insert(NumberedItem(0))), Ended::kFailed);
    EXPECT_EQ(EndOf(store.Update(NumberedItem(0))), Ended::kFailed);
    EXPECT_EQ(EndOf(store.Remove(1)), Ended::kFailed);
    EXPECT_EQ(EndOf(store.SwapOrder(1, 2)), Ended::kFailed);
    EXPECT_EQ(EndOf(store.Clear()), Ended::kFailed);
    EXPECT_EQ(EndOf(store.ReplaceAll(NumberedItems(0, 1))), Ended::kFailed)
        << "a list that could not be read is not written over";
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
