#include "sqlite/sqlite_history.h"

#include "sqlite/history_rows.h"

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <variant>

namespace tarnwick::sqlite {
namespace {

constexpr const char* kColumns =
    "h.id, h.page_address, h.identity, h.title, h.path, h.size, h.completed_at, h.origin";
// Entries go in as they complete: the newest has the largest id, which the
// full-text index, too, gives first without sorting what it found.
constexpr const char* kNewestFirst = " ORDER BY h.id DESC";

// One statement, its parameters bound in order, finalized when it goes.
class Query {
public:
    using Value = std::variant<int64_t, std::string>;

    Query(sqlite3* db, const std::string& sql, std::vector<Value> values)
        : db_(db), values_(std::move(values)) {
        if (db_ == nullptr) return;
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) return;
        statement_.reset(raw);
        for (size_t i = 0; i < values_.size(); ++i) {
            const int parameter = static_cast<int>(i) + 1;
            if (const auto* text = std::get_if<std::string>(&values_[i])) {
                sqlite3_bind_text64(raw, parameter, text->data(), text->size(), SQLITE_STATIC,
                                    SQLITE_UTF8);
            } else {
                sqlite3_bind_int64(raw, parameter, std::get<int64_t>(values_[i]));
            }
        }
    }
    // False at the end, or on a failure (then Done() is false too).
    bool Row() { return statement_ && (code_ = sqlite3_step(statement_.get())) == SQLITE_ROW; }
    bool Done() {
        while (Row()) {
        }
        return code_ == SQLITE_DONE;
    }
    int64_t Number(int column) const { return sqlite3_column_int64(statement_.get(), column); }
    std::string Text(int column) const {
        const auto* text =
            reinterpret_cast<const char*>(sqlite3_column_text(statement_.get(), column));
        return text == nullptr ? std::string()
                               : std::string(text, sqlite3_column_bytes(statement_.get(), column));
    }
    platform::HistoryEntry Entry() const {
        return {Number(0), Text(1),   Text(2),   Text(3),
                Text(4),   Number(5), Number(6), static_cast<int>(Number(7))};
    }
    Status Outcome() {
        if (db_ == nullptr) return platform::StoreWriteFailure("the history cannot be kept");
        if (Done()) return {};
        return platform::StoreWriteFailure(sqlite3_errmsg(db_));
    }

private:
    struct Finalize {
        void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
    };
    sqlite3* db_;
    std::vector<Value> values_;
    std::unique_ptr<sqlite3_stmt, Finalize> statement_;
    int code_ = SQLITE_OK;
};

bool IsWordByte(unsigned char c) {
    return c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The entries of a search, as the FROM and WHERE of a query; its words are
// the query's first parameter.
std::string Matching(const std::string& words) {
    return words.empty() ? " FROM history h"
                         : " FROM history_words w JOIN history h ON h.id = w.rowid"
                           " WHERE history_words MATCH ?1";
}

Status InTransaction(sqlite3* db, const std::function<Status()>& work) {
    if (db == nullptr) return platform::StoreWriteFailure("the history cannot be kept");
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return platform::StoreWriteFailure(sqlite3_errmsg(db));
    Status done = work();
    if (done && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        done = platform::StoreWriteFailure(sqlite3_errmsg(db));
    if (!done && sqlite3_get_autocommit(db) == 0)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return done;
}

} // namespace

std::string WordsQuery(const std::string& search) {
    std::string query;
    for (size_t at = 0; at < search.size();) {
        if (!IsWordByte(static_cast<unsigned char>(search[at]))) {
            ++at;
            continue;
        }
        const size_t start = at;
        while (at < search.size() && IsWordByte(static_cast<unsigned char>(search[at]))) ++at;
        query += (query.empty() ? "\"" : " \"") + search.substr(start, at - start) + "\"*";
    }
    return query;
}

std::optional<platform::HistoryEntry> SqliteHistory::FindVideo(const std::string& page_address,
                                                               const std::string& identity) {
    const auto held = list_.Hold();
    std::optional<platform::HistoryEntry> newest;
    // The index of identities holds none that is empty, which the query says.
    const auto take = [&](const char* column, const std::string& value) {
        Query found(list_.Handle(),
                    std::string("SELECT ") + kColumns + " FROM history h WHERE h." + column +
                        " = ?1 AND h." + column + " <> ''" + kNewestFirst + " LIMIT 1",
                    {value});
        if (!found.Row()) return;
        platform::HistoryEntry entry = found.Entry();
        if (!newest || entry.completed_at > newest->completed_at) newest = std::move(entry);
    };
    take("page_address", page_address);
    if (!identity.empty()) take("identity", identity);
    return newest;
}

std::vector<platform::HistoryEntry> SqliteHistory::Page(const std::string& search, int64_t offset,
                                                        int limit) {
    const auto held = list_.Hold();
    const std::string words = WordsQuery(search);
    std::vector<Query::Value> values;
    if (!words.empty()) values.emplace_back(words);
    values.emplace_back(int64_t{limit});
    values.emplace_back(offset);
    const std::string limits = words.empty() ? " LIMIT ?1 OFFSET ?2" : " LIMIT ?2 OFFSET ?3";
    // Searched, the full-text index gives its rows newest first by itself,
    // and stops at the page's end.
    const char* order = words.empty() ? kNewestFirst : " ORDER BY w.rowid DESC";
    Query page(list_.Handle(), std::string("SELECT ") + kColumns + Matching(words) + order + limits,
               std::move(values));
    std::vector<platform::HistoryEntry> entries;
    while (page.Row()) entries.push_back(page.Entry());
    return entries;
}

int64_t SqliteHistory::Count(const std::string& search) {
    const auto held = list_.Hold();
    const std::string words = WordsQuery(search);
    // The index alone counts what a search finds: its rows are the entries'.
    Query count(list_.Handle(),
                words.empty() ? "SELECT count(*) FROM history"
                              : "SELECT count(*) FROM history_words WHERE history_words MATCH ?1",
                words.empty() ? std::vector<Query::Value>{} : std::vector<Query::Value>{words});
    return count.Row() ? count.Number(0) : 0;
}

Status SqliteHistory::Remove(int64_t id) {
    const auto held = list_.Hold();
    return Query(list_.Handle(), "DELETE FROM history WHERE id = ?1", {id}).Outcome();
}

Status SqliteHistory::Forget(const std::string& page_address) {
    const auto held = list_.Hold();
    return Query(list_.Handle(), "DELETE FROM history WHERE page_address = ?1", {page_address})
        .Outcome();
}

Status SqliteHistory::Clear() {
    const auto held = list_.Hold();
    sqlite3* db = list_.Handle();
    return InTransaction(db, [db] {
        const std::string sql =
            "DROP TABLE history_words; DROP TABLE history; " + HistoryTablesSql();
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return Status();
        return Status(platform::StoreWriteFailure(sqlite3_errmsg(db)));
    });
}

Result<int64_t> SqliteHistory::Import(const std::vector<std::string>& identities, int64_t at,
                                      int origin) {
    const auto held = list_.Hold();
    sqlite3* db = list_.Handle();
    int64_t added = 0;
    const Status imported = InTransaction(db, [&]() -> Status {
        for (const std::string& identity : identities) {
            Query insert(
                db,
                "INSERT INTO history (page_address, identity, title, path, size, "
                "completed_at, origin) SELECT '', ?1, '', '', 0, ?2, ?3 "
                "WHERE NOT EXISTS (SELECT 1 FROM history WHERE identity = ?1 AND identity <> '')",
                {identity, at, int64_t{origin}});
            if (Status done = insert.Outcome(); !done) return done;
            added += sqlite3_changes(db);
        }
        return {};
    });
    if (!imported) return imported.failure();
    return added;
}

std::vector<std::string> SqliteHistory::Identities() {
    const auto held = list_.Hold();
    Query all(list_.Handle(),
              "SELECT identity FROM history WHERE identity <> '' GROUP BY identity "
              "ORDER BY min(id)",
              {});
    std::vector<std::string> identities;
    while (all.Row()) identities.push_back(all.Text(0));
    return identities;
}

} // namespace tarnwick::sqlite
