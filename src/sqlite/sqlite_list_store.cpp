#include "sqlite/sqlite_list_store.h"

#include "sqlite/history_rows.h"
#include "transfer/kept.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <variant>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick::sqlite {
namespace {

namespace fs = std::filesystem;
using platform::StoredItem;

// How long a call waits for another connection's lock before it fails.
constexpr int kLockWaitMs = 1000;
// The files SQLite keeps beside a database, named by adding these to its path.
constexpr std::array<const char*, 3> kCompanionSuffixes = {"-wal", "-shm", "-journal"};
constexpr mode_t kPrivateFile = 0600;
constexpr mode_t kPrivateFolder = 0700;
// How every SQLite database file begins.
constexpr char kHeader[] = "SQLite format 3";
// How many numbered names are tried for moving a damaged database aside.
constexpr int kMostAsideNames = 1000;

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// The schema versions that changed the items' columns: the first called the
// kept bytes' column "received"; the third added the column "resolved", the
// fourth the column "parts"; the fifth keeps what a download left in one
// record, "kept_record", in place of the four columns "kept" (its bytes),
// "temporary_path", "validator" and "parts", and adds "title"; the sixth
// adds "context", the seventh "choice"; the eighth adds "history" and the
// history's tables.
constexpr int kReceivedColumnVersion = 1;
constexpr int kResolvedColumnVersion = 3;
constexpr int kPartsColumnVersion = 4;
constexpr int kKeptRecordVersion = 5;
constexpr int kContextColumnVersion = 6;
constexpr int kChoiceColumnVersion = 7;
constexpr int kHistoryVersion = 8;
constexpr const char* kKeptColumn = "kept";
constexpr const char* kReceivedColumn = "received";

// The item's fields, one column each after id and order_key. Field i is
// bound to the parameter i + kFirstFieldParameter (?1 is the id) and read
// from the result column i + 1 (column 0 is the id).
using Field = std::variant<std::string StoredItem::*, int StoredItem::*, int64_t StoredItem::*>;
struct Column {
    const char* name;
    Field field;
    // The schema version that brought the column in.
    int since = 1;
};
constexpr auto kFieldColumns = std::to_array<Column>({
    {"page_address", &StoredItem::page_address},
    {"site", &StoredItem::site},
    {"name_kind", &StoredItem::name_kind},
    {"name", &StoredItem::name},
    {"state", &StoredItem::state},
    {"size_kind", &StoredItem::size_kind},
    {"total_size", &StoredItem::total_size},
    {"failure_reason", &StoredItem::failure_reason},
    {"http_status", &StoredItem::http_status},
    {"failure_detail", &StoredItem::failure_detail},
    {"resolved", &StoredItem::resolved, kResolvedColumnVersion},
    {"kept_record", &StoredItem::kept, kKeptRecordVersion},
    {"title", &StoredItem::title, kKeptRecordVersion},
    {"context", &StoredItem::context, kContextColumnVersion},
    {"choice", &StoredItem::choice, kChoiceColumnVersion},
    {"history", &StoredItem::history, kHistoryVersion},
});
// The columns a list before the fifth version kept its downloads' files in,
// with the version that brought each in.
struct OldColumn {
    const char* name;
    int since;
};
constexpr auto kOldKeptColumns = std::to_array<OldColumn>({
    {kKeptColumn, 1},
    {"temporary_path", 1},
    {"validator", 1},
    {"parts", kPartsColumnVersion},
});
constexpr int kFirstFieldParameter = 2;

bool IsText(const Column& column) {
    return std::holds_alternative<std::string StoredItem::*>(column.field);
}

std::string Parameter(size_t field_index) {
    return "?" + std::to_string(field_index + kFirstFieldParameter);
}

std::string CreateSchemaSql() {
    std::string table =
        "CREATE TABLE items (id INTEGER PRIMARY KEY AUTOINCREMENT, order_key INTEGER NOT NULL";
    for (const Column& column : kFieldColumns) {
        table += std::string(", ") + column.name + (IsText(column) ? " TEXT" : " INTEGER");
        table += " NOT NULL";
    }
    return "BEGIN IMMEDIATE; " + table + "); CREATE INDEX items_by_order ON items (order_key); " +
           HistoryTablesSql() +
           "PRAGMA user_version = " + std::to_string(SqliteListStore::kSchemaVersion) + "; COMMIT;";
}

// Appends after the largest order key, which the index finds at once. The id
// is the one given, or a new one where none is (a null).
std::string InsertSql() {
    std::string names = "id, order_key";
    std::string values = "?1, COALESCE((SELECT MAX(order_key) FROM items), 0) + 1";
    for (size_t i = 0; i < kFieldColumns.size(); ++i) {
        names += std::string(", ") + kFieldColumns[i].name;
        values += ", " + Parameter(i);
    }
    return "INSERT INTO items (" + names + ") VALUES (" + values + ")";
}

std::string UpdateSql() {
    std::string sql = "UPDATE items SET ";
    for (size_t i = 0; i < kFieldColumns.size(); ++i) {
        sql += std::string(i == 0 ? "" : ", ") + kFieldColumns[i].name + " = " + Parameter(i);
    }
    return sql + " WHERE id = ?1";
}

std::string LoadSql() {
    std::string sql = "SELECT id";
    for (const Column& column : kFieldColumns) sql += std::string(", ") + column.name;
    return sql + " FROM items ORDER BY order_key, id";
}

// The rows of the table itself: SQLite would count through the smallest
// index, which a damaged file may have lacking rows.
constexpr const char* kCountSql = "SELECT count(*) FROM items NOT INDEXED";

bool BindField(sqlite3_stmt* statement, int parameter, const StoredItem& item, Field field) {
    return std::visit(
        [&](auto member) {
            const auto& value = item.*member;
            if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, std::string>) {
                return sqlite3_bind_text64(statement, parameter, value.data(), value.size(),
                                           SQLITE_STATIC, SQLITE_UTF8) == SQLITE_OK;
            } else {
                return sqlite3_bind_int64(statement, parameter, value) == SQLITE_OK;
            }
        },
        field);
}

// Binds every field but the id. The texts are bound without a copy: they
// must outlive the statement's step.
bool BindFields(sqlite3_stmt* statement, const StoredItem& item) {
    for (size_t i = 0; i < kFieldColumns.size(); ++i) {
        const int parameter = static_cast<int>(i) + kFirstFieldParameter;
        if (!BindField(statement, parameter, item, kFieldColumns[i].field)) return false;
    }
    return true;
}

void ReadField(sqlite3_stmt* statement, int column, StoredItem& item, Field field) {
    std::visit(
        [&](auto member) {
            auto& value = item.*member;
            using Value = std::remove_cvref_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, std::string>) {
                const auto* text =
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
                if (text != nullptr) value.assign(text, sqlite3_column_bytes(statement, column));
            } else {
                value = static_cast<Value>(sqlite3_column_int64(statement, column));
            }
        },
        field);
}

StoredItem ReadItem(sqlite3_stmt* statement) {
    StoredItem item;
    item.id = sqlite3_column_int64(statement, 0);
    for (size_t i = 0; i < kFieldColumns.size(); ++i) {
        ReadField(statement, static_cast<int>(i) + 1, item, kFieldColumns[i].field);
    }
    return item;
}

// Readies a kept statement for its next use when the call using it ends, so
// that none holds a lock, or points at the caller's strings, between calls.
class InUse {
public:
    explicit InUse(sqlite3_stmt* statement) : statement_(statement) {}
    ~InUse() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    InUse(const InUse&) = delete;
    InUse& operator=(const InUse&) = delete;

private:
    sqlite3_stmt* statement_;
};

bool RunToEnd(sqlite3_stmt* statement) {
    InUse use(statement);
    return sqlite3_step(statement) == SQLITE_DONE;
}

// ---- Opening

// Why a database cannot be used: a failure in SQLite's or the system's words.
// A failure the file is to blame for (damage, a schema of another program)
// has it moved aside, and says so by the one error of this category; any
// other (a lock held elsewhere, a full disk) leaves the file as it is.
class BlameCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "list file"; }
    std::string message(int) const override { return "the list's file is to blame"; }
};

std::error_code FileToBlame() {
    static const BlameCategory category;
    return {1, category};
}

Failure Trouble(std::string words) { return Failure{Reason::kWriteFailed, 0, std::move(words)}; }

Failure TroubleWithTheFile(std::string words) {
    return Failure{Reason::kWriteFailed, 0, std::move(words), FileToBlame()};
}

bool IsTheFileToBlame(const Failure& failure) { return failure.system == FileToBlame(); }

// Only what the file holds is blamed on it. A file that cannot be opened or
// read now (its rights, a lock, a failing disk) may be read another time, so
// it stays where it is.
bool BlamesTheFile(int code) {
    switch (code & 0xff) {
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT: return true;
        default: return false;
    }
}

// SQLite's words for the last failure, with the system's where a file could
// not be opened or written.
std::string Words(sqlite3* db) {
    std::string words = sqlite3_errmsg(db);
    const int code = sqlite3_extended_errcode(db) & 0xff;
    const int system = sqlite3_system_errno(db);
    if ((code == SQLITE_CANTOPEN || code == SQLITE_IOERR) && system != 0) {
        words += std::string(": ") + std::strerror(system);
    }
    return words;
}

Failure TroubleOf(sqlite3* db, int code) {
    std::string words = db != nullptr ? Words(db) : sqlite3_errstr(code);
    return BlamesTheFile(code) ? TroubleWithTheFile(std::move(words)) : Trouble(std::move(words));
}

// Runs one statement, collecting the first column of each row as text.
int Query(sqlite3* db, const char* sql, std::vector<std::string>* firsts = nullptr) {
    sqlite3_stmt* raw = nullptr;
    int code = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    const Statement statement(raw);
    if (code != SQLITE_OK) return code;
    while ((code = sqlite3_step(raw)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, 0));
        if (firsts != nullptr) firsts->emplace_back(text != nullptr ? text : "");
    }
    return code == SQLITE_DONE ? SQLITE_OK : code;
}

// The list and its index, at every start; the history is not read through
// at start-up, however long it is.
Status CheckIntegrity(sqlite3* db) {
    std::vector<std::string> findings;
    const bool has_items =
        Query(db, "SELECT 1 FROM sqlite_master WHERE name = 'items'", &findings) == SQLITE_OK &&
        !findings.empty();
    findings.clear();
    const int code =
        Query(db, has_items ? "PRAGMA quick_check(items)" : "PRAGMA quick_check", &findings);
    if (code != SQLITE_OK) return TroubleOf(db, code);
    if (findings != std::vector<std::string>{"ok"}) return TroubleWithTheFile("it is damaged");
    return {};
}

// The columns the schema `version` gave the items, under the names it gave them.
std::vector<std::string> ColumnsOf(int version) {
    std::vector<std::string> columns = {"id", "order_key"};
    for (const Column& column : kFieldColumns) {
        if (column.since <= version) columns.emplace_back(column.name);
    }
    if (version >= kKeptRecordVersion) return columns;
    for (const OldColumn& column : kOldKeptColumns) {
        if (column.since > version) continue;
        const bool renamed =
            version <= kReceivedColumnVersion && std::string_view(column.name) == kKeptColumn;
        columns.emplace_back(renamed ? kReceivedColumn : column.name);
    }
    return columns;
}

// Whether the items have every column that the schema `version` gave them.
Status CheckColumns(sqlite3* db, int version) {
    std::vector<std::string> found;
    const int code = Query(db, "SELECT name FROM pragma_table_info('items')", &found);
    if (code != SQLITE_OK) return TroubleOf(db, code);
    for (const std::string& name : ColumnsOf(version)) {
        if (std::find(found.begin(), found.end(), name) == found.end()) {
            return TroubleWithTheFile("its items lack the column " + name);
        }
    }
    return {};
}

// Whether the file holds this program's list, and of which version, or
// nothing yet (version 0).
Status CheckSchema(sqlite3* db, int& version) {
    std::vector<std::string> found_version;
    int code = Query(db, "PRAGMA user_version", &found_version);
    if (code != SQLITE_OK) return TroubleOf(db, code);
    const std::string found = found_version.empty() ? "" : found_version.front();
    for (version = 1; version <= SqliteListStore::kSchemaVersion; ++version) {
        if (found == std::to_string(version)) return CheckColumns(db, version);
    }
    if (found != "0") return TroubleWithTheFile("its schema version " + found + " is unknown");
    std::vector<std::string> tables;
    code = Query(db, "SELECT name FROM sqlite_master", &tables);
    if (code != SQLITE_OK) return TroubleOf(db, code);
    if (!tables.empty()) return TroubleWithTheFile("it holds tables of another program");
    version = 0;
    return {};
}

Status SetUpJournal(sqlite3* db) {
    // Writes touch a row or two and the load reads straight through: a small
    // page cache does, and keeps the program's memory down.
    for (const char* sql :
         {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL", "PRAGMA cache_size=-256"}) {
        const int code = Query(db, sql);
        if (code != SQLITE_OK) return TroubleOf(db, code);
    }
    return {};
}

// Runs a script that is one transaction, rolled back when a step fails.
Status RunTransaction(sqlite3* db, const std::string& sql) {
    const int code = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    if (code == SQLITE_OK) return {};
    Failure trouble = TroubleOf(db, code);
    if (sqlite3_get_autocommit(db) == 0) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return trouble;
}

// What the rows of a list of an earlier version hold in a column added since:
// the field's default.
std::string DefaultSql(const Column& column) {
    const StoredItem defaults;
    return std::visit(
        [&defaults](auto member) {
            const auto& value = defaults.*member;
            if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, std::string>) {
                return std::string("''"); // every text is empty by default
            } else {
                return std::to_string(value);
            }
        },
        column.field);
}

// Brings a list of an earlier version up to the fourth's columns: the kept
// bytes' column renamed, and the columns added since made with their
// fields' defaults.
std::string AddColumnSql(const Column& column) {
    return std::string("ALTER TABLE items ADD COLUMN ") + column.name +
           (IsText(column) ? " TEXT" : " INTEGER") + " NOT NULL DEFAULT " + DefaultSql(column) +
           "; ";
}

// The columns added after the fifth version that a list of `version` lacks.
std::string ColumnsAfterFiveSql(int version) {
    std::string sql;
    for (const Column& column : kFieldColumns) {
        if (column.since > std::max(version, kKeptRecordVersion)) sql += AddColumnSql(column);
    }
    return sql;
}

std::string ColumnsUpToFourSql(int version) {
    std::string sql;
    if (version <= kReceivedColumnVersion) {
        sql += std::string("ALTER TABLE items RENAME COLUMN ") + kReceivedColumn + " TO " +
               kKeptColumn + "; ";
    }
    for (const Column& column : kFieldColumns) {
        if (column.since <= version || column.since >= kKeptRecordVersion) continue;
        sql += AddColumnSql(column);
    }
    if (version < kPartsColumnVersion)
        sql += "ALTER TABLE items ADD COLUMN parts TEXT NOT NULL DEFAULT ''; ";
    return sql;
}

// Each row's kept files, read from the fourth version's columns into one
// record.
Status GatherKeptRecords(sqlite3* db) {
    sqlite3_stmt* raw = nullptr;
    int code = sqlite3_prepare_v2(
        db, "SELECT id, temporary_path, kept, validator, parts, size_kind, total_size FROM items",
        -1, &raw, nullptr);
    const Statement rows(raw);
    if (code != SQLITE_OK) return TroubleOf(db, code);
    sqlite3_stmt* raw_update = nullptr;
    code = sqlite3_prepare_v2(db, "UPDATE items SET kept_record = ?2 WHERE id = ?1", -1,
                              &raw_update, nullptr);
    const Statement update(raw_update);
    if (code != SQLITE_OK) return TroubleOf(db, code);
    const auto text = [&](int column) {
        const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(raw, column));
        return value != nullptr ? std::string(value, sqlite3_column_bytes(raw, column))
                                : std::string();
    };
    while ((code = sqlite3_step(raw)) == SQLITE_ROW) {
        // The size the item showed, where it was known (the core's code 1).
        const std::optional<int64_t> total = sqlite3_column_int(raw, 5) == 1
                                                 ? std::optional(sqlite3_column_int64(raw, 6))
                                                 : std::nullopt;
        const std::optional<transfer::Kept> kept = transfer::KeptFromFields(
            text(1), sqlite3_column_int64(raw, 2), text(3), text(4), total);
        if (!kept) continue;
        const std::string record = transfer::KeptText(*kept);
        sqlite3_bind_int64(raw_update, 1, sqlite3_column_int64(raw, 0));
        sqlite3_bind_text64(raw_update, 2, record.data(), record.size(), SQLITE_TRANSIENT,
                            SQLITE_UTF8);
        if (!RunToEnd(raw_update)) return TroubleOf(db, sqlite3_errcode(db));
    }
    if (code != SQLITE_DONE) return TroubleOf(db, code);
    return {};
}

// Brings a list of an earlier version up to this one in one transaction,
// keeping every row and what it kept.
Status Upgrade(sqlite3* db, int version) {
    const std::string version_sql =
        "PRAGMA user_version = " + std::to_string(SqliteListStore::kSchemaVersion) + "; COMMIT;";
    const std::string history = version < kHistoryVersion ? HistoryTablesSql() : "";
    if (version >= kKeptRecordVersion) {
        return RunTransaction(
            db, "BEGIN IMMEDIATE; " + ColumnsAfterFiveSql(version) + history + version_sql);
    }
    std::string before = "BEGIN IMMEDIATE; " + ColumnsUpToFourSql(version) +
                         "ALTER TABLE items ADD COLUMN kept_record TEXT NOT NULL DEFAULT ''; "
                         "ALTER TABLE items ADD COLUMN title TEXT NOT NULL DEFAULT ''; " +
                         ColumnsAfterFiveSql(version) + history;
    std::string after;
    for (const OldColumn& column : kOldKeptColumns) {
        after += std::string("ALTER TABLE items DROP COLUMN ") + column.name + "; ";
    }
    after += version_sql;
    if (Status begun = RunTransaction(db, before); !begun) return begun;
    Status upgraded = GatherKeptRecords(db);
    if (upgraded) upgraded = RunTransaction(db, after);
    if (!upgraded && sqlite3_get_autocommit(db) == 0) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    return upgraded;
}

// Nothing is written to the file before it is known to be ours. The locking
// mode comes before the first read, which takes the log into use: in this
// mode its index is kept in memory, not in a shared file mapped into memory
// (which kills the program with SIGBUS where the file becomes unusable).
Status TakeIntoUse(sqlite3* db) {
    int version = 0;
    if (const int code = Query(db, "PRAGMA locking_mode=EXCLUSIVE"); code != SQLITE_OK) {
        return TroubleOf(db, code);
    }
    if (Status checked = CheckIntegrity(db); !checked) return checked;
    if (Status checked = CheckSchema(db, version); !checked) return checked;
    if (Status set_up = SetUpJournal(db); !set_up) return set_up;
    if (version == 0) return RunTransaction(db, CreateSchemaSql());
    if (version < SqliteListStore::kSchemaVersion) return Upgrade(db, version);
    return {};
}

bool NameIsFree(const std::string& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() == fs::file_type::not_found;
}

// What can be told of the file without opening it, since SQLite writes to the
// companion files as it opens. It also deletes a log it finds beside an empty
// file; that pair never comes from SQLite itself, so it is kept for moving
// aside too.
Status CheckBeforeOpening(const std::string& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error) return {}; // a new file, or one for SQLite to judge
    if (size == 0) {
        if (NameIsFree(path + "-wal")) return {};
        return TroubleWithTheFile("it is empty beside its log");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    std::array<char, sizeof kHeader> header{};
    file.read(header.data(), header.size());
    if (std::equal(header.begin(), header.end(), kHeader)) return {};
    return TroubleWithTheFile("it is not a database");
}

// Closes a database that was not taken into use without the checkpoint that
// SQLite makes on closing, which writes the log into the file and deletes it.
void CloseUntouched(Database db) {
    if (db) sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

// SQLite makes a missing file itself, but where it cannot, it tells only that
// the file is missing; made here, the system's reason is known. It is the
// user's alone from the first byte.
Status MakeIfMissing(const std::string& path) {
    if (!NameIsFree(path)) return {};
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kPrivateFile);
    if (fd < 0) {
        if (errno == EEXIST) return {};
        return SystemFailure(Reason::kWriteFailed, errno);
    }
    ::close(fd);
    return {};
}

// Takes from `path` whatever rights beyond `most` others have, where it is
// the user's own; a link is never followed.
void TightenMode(const std::string& path, mode_t most) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && status.st_uid == ::geteuid() &&
        (status.st_mode & 07777 & ~most) != 0) {
        ::fchmod(fd, status.st_mode & most);
    }
    ::close(fd);
}

// The list may hold what the user's browser knows of their logins: its
// folder, its file and the file's companions are the user's alone.
void KeepPrivate(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty()) TightenMode(folder.string(), kPrivateFolder);
    TightenMode(path, kPrivateFile);
    for (const char* suffix : kCompanionSuffixes) TightenMode(path + suffix, kPrivateFile);
}

// The database taken into use, or why it cannot be.
Result<Database> OpenDatabase(const std::string& path) {
    if (Status checked = CheckBeforeOpening(path); !checked) return checked.failure();
    if (Status made = MakeIfMissing(path); !made) return made.failure();
    KeepPrivate(path);
    sqlite3* raw = nullptr;
    const int code =
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Database db(raw);
    Status taken = code == SQLITE_OK ? Status() : Status(TroubleOf(raw, code));
    if (taken) {
        sqlite3_extended_result_codes(raw, 1);
        sqlite3_busy_timeout(raw, kLockWaitMs);
        taken = TakeIntoUse(raw);
    }
    if (taken) return db;
    CloseUntouched(std::move(db));
    return taken.failure();
}

// ---- Moving aside

// "<path>.damaged-N" for the first N for which neither that name nor its
// companions' are taken; empty when none of the first few is free.
std::string FreeAsideName(const std::string& path) {
    for (int number = 1; number <= kMostAsideNames; ++number) {
        const std::string name = path + ".damaged-" + std::to_string(number);
        bool free = NameIsFree(name);
        for (const char* suffix : kCompanionSuffixes) free = free && NameIsFree(name + suffix);
        if (free) return name;
    }
    return {};
}

struct MovedAside {
    std::string database_to; // empty when the database file stayed
    std::string problem;     // the system's words when a file could not be moved
};

// Renames the database file and then its companions to one free name, so that
// they stay together and nothing is overwritten.
MovedAside MoveAside(const std::string& path) {
    MovedAside moved;
    const std::string aside = FreeAsideName(path);
    if (aside.empty()) {
        moved.problem = "no free name beside it";
        return moved;
    }
    std::error_code error;
    fs::rename(path, aside, error);
    if (error) {
        moved.problem = error.message();
        return moved;
    }
    moved.database_to = aside;
    for (const char* suffix : kCompanionSuffixes) {
        if (NameIsFree(path + suffix)) continue;
        fs::rename(path + suffix, aside + suffix, error);
        if (error) moved.problem = error.message();
    }
    return moved;
}

std::string CannotKeep(const std::string& path, const std::string& why) {
    const std::string folder = fs::path(path).parent_path().string();
    return "The list cannot be kept in " + (folder.empty() ? path : folder) + ": " + why;
}

// What one reading of the list found.
struct Reading {
    std::vector<StoredItem> items;
    // Every row of the table was read.
    bool whole = false;
    // Not whole through what the file holds, rather than through a failing
    // read or disk.
    bool file_to_blame = false;
};

// Reads the list in its order, and counts the table's rows to know that the
// order index led to each of them.
Reading Read(sqlite3_stmt* load, sqlite3_stmt* count) {
    Reading reading;
    int code = SQLITE_OK;
    {
        InUse use(load);
        while ((code = sqlite3_step(load)) == SQLITE_ROW) reading.items.push_back(ReadItem(load));
    }
    if (code == SQLITE_DONE) {
        InUse use(count);
        code = sqlite3_step(count);
        if (code == SQLITE_ROW) {
            reading.whole =
                sqlite3_column_int64(count, 0) == static_cast<int64_t>(reading.items.size());
            reading.file_to_blame = !reading.whole;
            return reading;
        }
    }
    reading.file_to_blame = BlamesTheFile(code);
    return reading;
}

constexpr const char* kNoSuchItem = "an item is missing from the list's file";
constexpr const char* kFileGone = "the list's file is gone";

} // namespace

// The open database and the statements kept prepared for the store's
// lifetime. The database comes first, so that it closes after they are
// finalized.
class SqliteListStore::Connection {
public:
    // None, with SQLite's words in `problem`, when a statement cannot be made.
    static std::unique_ptr<Connection> Prepare(Database db, const std::string& path,
                                               std::string& problem);
    // A file that has gone is closed as it is: the checkpoint of a closing
    // connection would delete whatever log now lies at its path.
    ~Connection() {
        if (HasGone()) KeepTheFileAsItIs();
    }

    // Whether the file at the path is no longer the one open, or the log
    // beside it was removed.
    bool HasGone() const {
        int moved = 0;
        sqlite3_file_control(db.get(), "main", SQLITE_FCNTL_HAS_MOVED, &moved);
        return moved != 0 || (has_log && NameIsFree(log_path));
    }
    // Closing will leave the file and its log as they are.
    void KeepTheFileAsItIs() {
        sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    }

    Database db;
    Statement load, count, insert, update, remove, clear;
    Statement read_order_key, write_order_key;
    Statement begin, commit, rollback;
    std::string log_path;
    // The log was there when the database was taken into use.
    bool has_log = false;
};

std::unique_ptr<SqliteListStore::Connection> SqliteListStore::Connection::Prepare(
    Database db, const std::string& path, std::string& problem) {
    auto connection = std::make_unique<Connection>();
    connection->db = std::move(db);
    connection->log_path = path + "-wal";
    connection->has_log = !NameIsFree(connection->log_path);
    const std::pair<Statement*, std::string> statements[] = {
        {&connection->load, LoadSql()},
        {&connection->count, kCountSql},
        {&connection->insert, InsertSql()},
        {&connection->update, UpdateSql()},
        {&connection->remove, "DELETE FROM items WHERE id = ?1"},
        {&connection->clear, "DELETE FROM items"},
        {&connection->read_order_key, "SELECT order_key FROM items WHERE id = ?1"},
        {&connection->write_order_key, "UPDATE items SET order_key = ?2 WHERE id = ?1"},
        {&connection->begin, "BEGIN IMMEDIATE"},
        {&connection->commit, "COMMIT"},
        {&connection->rollback, "ROLLBACK"},
    };
    for (const auto& [statement, sql] : statements) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v3(connection->db.get(), sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT,
                               &raw, nullptr) != SQLITE_OK) {
            problem = sqlite3_errmsg(connection->db.get());
            return nullptr;
        }
        statement->reset(raw);
    }
    return connection;
}

struct SqliteListStore::Opened {
    std::unique_ptr<Connection> connection; // none when no database can be had
    std::string moved_aside_to;
    std::string problem; // why there is no connection, in the system's words
};

SqliteListStore::SqliteListStore(const std::string& path) : path_(path) {
    Opened opened = OpenAt(path_);
    connection_ = std::move(opened.connection);
    opening_.moved_aside_to = opened.moved_aside_to;
    if (!connection_) opening_.unusable_reason = CannotKeep(path_, opened.problem);
}

SqliteListStore::~SqliteListStore() = default;

SqliteListStore::Opened SqliteListStore::OpenAt(const std::string& path) {
    Opened opened;
    const fs::path folder = fs::path(path).parent_path();
    std::error_code error;
    if (!folder.empty()) fs::create_directories(folder, error);
    if (error) {
        opened.problem = error.message();
        return opened;
    }
    Result<Database> attempt = OpenDatabase(path);
    if (!attempt && IsTheFileToBlame(attempt.failure()) && !NameIsFree(path)) {
        const MovedAside moved = MoveAside(path);
        opened.moved_aside_to = moved.database_to;
        if (!moved.problem.empty()) {
            opened.problem = "the list there (" + attempt.failure().detail +
                             ") cannot be moved aside: " + moved.problem;
            return opened;
        }
        attempt = OpenDatabase(path);
    }
    if (!attempt) {
        opened.problem = attempt.failure().detail;
        return opened;
    }
    opened.connection = Connection::Prepare(std::move(attempt).value(), path, opened.problem);
    return opened;
}

platform::StoreOpening SqliteListStore::Opening() const {
    const auto held = Hold();
    return opening_;
}

platform::LoadedList SqliteListStore::LoadAll() {
    const auto held = Hold();
    if (!connection_) return {{}, false};
    Reading reading = Read(connection_->load.get(), connection_->count.get());
    if (!reading.whole && reading.file_to_blame) {
        Query(connection_->db.get(), "REINDEX items");
        reading = Read(connection_->load.get(), connection_->count.get());
    }
    if (!reading.whole && reading.file_to_blame) {
        SetAside();
        return {{}, false};
    }
    return {std::move(reading.items), reading.whole && opening_.moved_aside_to.empty()};
}

void SqliteListStore::SetAside() {
    connection_->KeepTheFileAsItIs();
    connection_.reset();
    const MovedAside moved = MoveAside(path_);
    opening_.moved_aside_to = moved.database_to;
    if (!moved.problem.empty()) {
        opening_.unusable_reason =
            CannotKeep(path_, "the list there (it cannot be read whole) cannot be moved aside: " +
                                  moved.problem);
        return;
    }
    Opened opened = OpenAt(path_);
    connection_ = std::move(opened.connection);
    if (!connection_) opening_.unusable_reason = CannotKeep(path_, opened.problem);
}

Status SqliteListStore::ReadyToWrite() const {
    if (!connection_) {
        return platform::StoreWriteFailure(reopen_problem_.empty() ? opening_.unusable_reason
                                                                   : reopen_problem_);
    }
    if (connection_->HasGone()) return platform::StoreGoneFailure(kFileGone);
    return {};
}

Failure SqliteListStore::Failed() const {
    return platform::StoreWriteFailure(Words(connection_->db.get()));
}

// An item that is complete as it goes in goes in with its history entry, in
// one transaction.
Result<int64_t> SqliteListStore::Insert(const StoredItem& item) {
    const auto held = Hold();
    if (Status ready = ReadyToWrite(); !ready) return ready.failure();
    if (item.completion) {
        if (!RunToEnd(connection_->begin.get())) return Failed();
        Result<int64_t> id = InsertRow(item);
        if (id && RunToEnd(connection_->commit.get())) return id;
        const Failure failed = id ? Failed() : id.failure();
        if (sqlite3_get_autocommit(connection_->db.get()) == 0)
            RunToEnd(connection_->rollback.get());
        return failed;
    }
    return InsertRow(item);
}

Result<int64_t> SqliteListStore::InsertRow(const StoredItem& item) {
    sqlite3_stmt* insert = connection_->insert.get();
    {
        InUse use(insert);
        const int bound =
            item.id > 0 ? sqlite3_bind_int64(insert, 1, item.id) : sqlite3_bind_null(insert, 1);
        if (bound != SQLITE_OK || !BindFields(insert, item) || sqlite3_step(insert) != SQLITE_DONE)
            return Failed();
    }
    const int64_t id = sqlite3_last_insert_rowid(connection_->db.get());
    if (item.completion && InsertHistoryRow(connection_->db.get(), *item.completion) != SQLITE_OK)
        return Failed();
    return id;
}

// A completion goes into the history in the same transaction as its item.
Status SqliteListStore::Update(const StoredItem& item) {
    const auto held = Hold();
    if (item.completion) return Apply({item}, {});
    if (Status ready = ReadyToWrite(); !ready) return ready;
    return UpdateRow(item);
}

Status SqliteListStore::Record(const platform::HistoryEntry& entry) {
    const auto held = Hold();
    if (Status ready = ReadyToWrite(); !ready) return ready;
    if (InsertHistoryRow(connection_->db.get(), entry) != SQLITE_OK) return Failed();
    return {};
}

std::unique_lock<std::recursive_mutex> SqliteListStore::Hold() const {
    return std::unique_lock(use_);
}

sqlite3* SqliteListStore::Handle() const {
    if (!connection_ || connection_->HasGone()) return nullptr;
    return connection_->db.get();
}

Status SqliteListStore::Remove(int64_t id) {
    const auto held = Hold();
    if (Status ready = ReadyToWrite(); !ready) return ready;
    return RemoveRow(id);
}

Status SqliteListStore::Apply(const std::vector<StoredItem>& updates,
                              const std::vector<int64_t>& removals) {
    const auto held = Hold();
    Status result = ReadyToWrite();
    if (!result) return result;
    if (!RunToEnd(connection_->begin.get())) return Failed();
    for (size_t i = 0; result && i < updates.size(); ++i) result = UpdateRow(updates[i]);
    for (size_t i = 0; result && i < removals.size(); ++i) result = RemoveRow(removals[i]);
    if (result && !RunToEnd(connection_->commit.get())) result = Failed();
    // A failed statement may have ended the transaction already.
    if (!result && sqlite3_get_autocommit(connection_->db.get()) == 0) {
        RunToEnd(connection_->rollback.get());
    }
    return result;
}

Status SqliteListStore::UpdateRow(const StoredItem& item) {
    sqlite3_stmt* update = connection_->update.get();
    {
        InUse use(update);
        if (sqlite3_bind_int64(update, 1, item.id) != SQLITE_OK || !BindFields(update, item) ||
            sqlite3_step(update) != SQLITE_DONE) {
            return Failed();
        }
    }
    if (sqlite3_changes(connection_->db.get()) != 1)
        return platform::StoreWriteFailure(kNoSuchItem);
    if (item.completion && InsertHistoryRow(connection_->db.get(), *item.completion) != SQLITE_OK)
        return Failed();
    return {};
}

Status SqliteListStore::RemoveRow(int64_t id) {
    sqlite3_stmt* remove = connection_->remove.get();
    {
        InUse use(remove);
        if (sqlite3_bind_int64(remove, 1, id) != SQLITE_OK || sqlite3_step(remove) != SQLITE_DONE) {
            return Failed();
        }
    }
    if (sqlite3_changes(connection_->db.get()) != 1)
        return platform::StoreWriteFailure(kNoSuchItem);
    return {};
}

Status SqliteListStore::SwapOrder(int64_t first, int64_t second) {
    const auto held = Hold();
    Status result = ReadyToWrite();
    if (!result) return result;
    if (!RunToEnd(connection_->begin.get())) return Failed();
    const Result<int64_t> first_key = ReadOrderKey(first);
    const Result<int64_t> second_key = first_key ? ReadOrderKey(second) : first_key;
    if (!second_key) {
        result = second_key.failure();
    } else if (!(WriteOrderKey(first, second_key.value()) &&
                 WriteOrderKey(second, first_key.value()) && RunToEnd(connection_->commit.get()))) {
        result = Failed();
    }
    // A failed statement may have ended the transaction already.
    if (!result && sqlite3_get_autocommit(connection_->db.get()) == 0) {
        RunToEnd(connection_->rollback.get());
    }
    return result;
}

Status SqliteListStore::Clear() {
    const auto held = Hold();
    if (Status ready = ReadyToWrite(); !ready) return ready;
    if (!RunToEnd(connection_->clear.get())) return Failed();
    return {};
}

Result<std::vector<int64_t>> SqliteListStore::ReplaceAll(const std::vector<StoredItem>& items) {
    const auto held = Hold();
    if (!opening_.unusable_reason.empty()) {
        return platform::StoreWriteFailure(opening_.unusable_reason);
    }
    if (!connection_ || connection_->HasGone()) {
        connection_.reset();
        Opened opened = OpenAt(path_);
        connection_ = std::move(opened.connection);
        reopen_problem_ = opened.problem;
        if (!connection_) return platform::StoreWriteFailure(reopen_problem_);
    }
    Result<std::vector<int64_t>> ids = Replace(items);
    if (!ids) {
        // The next whole write starts from a newly opened file.
        reopen_problem_ = ids.failure().detail;
        connection_->KeepTheFileAsItIs();
        connection_.reset();
    }
    return ids;
}

Result<std::vector<int64_t>> SqliteListStore::Replace(const std::vector<StoredItem>& items) {
    if (!RunToEnd(connection_->begin.get())) return Failed();
    bool done = RunToEnd(connection_->clear.get());
    sqlite3_stmt* insert = connection_->insert.get();
    std::vector<int64_t> ids;
    ids.reserve(items.size());
    for (size_t i = 0; done && i < items.size(); ++i) {
        const Result<int64_t> id = InsertRow(items[i]);
        done = id.has_value();
        if (done) ids.push_back(id.value());
    }
    if (done && RunToEnd(connection_->commit.get())) return ids;
    const Failure failed = Failed();
    if (sqlite3_get_autocommit(connection_->db.get()) == 0) RunToEnd(connection_->rollback.get());
    return failed;
}

Result<int64_t> SqliteListStore::ReadOrderKey(int64_t id) {
    sqlite3_stmt* read = connection_->read_order_key.get();
    InUse use(read);
    if (sqlite3_bind_int64(read, 1, id) != SQLITE_OK) return Failed();
    switch (sqlite3_step(read)) {
        case SQLITE_ROW: return sqlite3_column_int64(read, 0);
        case SQLITE_DONE: return platform::StoreWriteFailure(kNoSuchItem);
        default: return Failed();
    }
}

bool SqliteListStore::WriteOrderKey(int64_t id, int64_t order_key) {
    sqlite3_stmt* write = connection_->write_order_key.get();
    InUse use(write);
    return sqlite3_bind_int64(write, 1, id) == SQLITE_OK &&
           sqlite3_bind_int64(write, 2, order_key) == SQLITE_OK &&
           sqlite3_step(write) == SQLITE_DONE && sqlite3_changes(connection_->db.get()) == 1;
}

} // namespace tarnwick::sqlite
