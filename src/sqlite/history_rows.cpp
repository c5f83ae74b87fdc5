#include "sqlite/history_rows.h"

#include <sqlite3.h>

namespace tarnwick::sqlite {

std::string HistoryTablesSql() {
    return "CREATE TABLE history (id INTEGER PRIMARY KEY AUTOINCREMENT, "
           "page_address TEXT NOT NULL, identity TEXT NOT NULL, title TEXT NOT NULL, "
           "path TEXT NOT NULL, size INTEGER NOT NULL, completed_at INTEGER NOT NULL, "
           "origin INTEGER NOT NULL, UNIQUE (page_address, completed_at, identity)); "
           "CREATE INDEX history_by_identity ON history (identity) WHERE identity <> ''; "
           "CREATE VIRTUAL TABLE history_words USING fts5 (title, page_address, "
           "content='history', content_rowid='id', prefix='1 2 3'); "
           "CREATE TRIGGER history_words_in AFTER INSERT ON history BEGIN "
           "INSERT INTO history_words (rowid, title, page_address) "
           "VALUES (new.id, new.title, new.page_address); END; "
           "CREATE TRIGGER history_words_out AFTER DELETE ON history BEGIN "
           "INSERT INTO history_words (history_words, rowid, title, page_address) "
           "VALUES ('delete', old.id, old.title, old.page_address); END; ";
}

int InsertHistoryRow(sqlite3* db, const platform::HistoryEntry& entry) {
    sqlite3_stmt* statement = nullptr;
    int code = sqlite3_prepare_v3(
        db,
        "INSERT OR IGNORE INTO history (page_address, identity, title, path, size, "
        "completed_at, origin) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
        -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (code != SQLITE_OK) return code;
    int parameter = 1;
    for (const std::string* text :
         {&entry.page_address, &entry.identity, &entry.title, &entry.path}) {
        sqlite3_bind_text64(statement, parameter++, text->data(), text->size(), SQLITE_STATIC,
                            SQLITE_UTF8);
    }
    sqlite3_bind_int64(statement, parameter++, entry.size);
    sqlite3_bind_int64(statement, parameter++, entry.completed_at);
    sqlite3_bind_int64(statement, parameter, entry.origin);
    code = sqlite3_step(statement);
    sqlite3_finalize(statement);
    return code == SQLITE_DONE ? SQLITE_OK : code;
}

} // namespace tarnwick::sqlite
