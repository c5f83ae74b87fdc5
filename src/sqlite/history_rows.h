// The history's tables in the list's database, and the writing of one
// entry, shared by the list's writes (a completion goes in with its item)
// and the history's own.
#pragma once

#include "platform/history_store.h"

#include <string>

struct sqlite3;

namespace tarnwick::sqlite {

// Makes the history's tables: the entries, in the order they completed (an
// import's at its moment), an index of their identities, and a full-text
// index of their titles and addresses, with the starts of their words, kept
// by triggers.
std::string HistoryTablesSql();

// Keeps the entry unless the same completion is kept already; SQLite's code.
int InsertHistoryRow(sqlite3* db, const platform::HistoryEntry& entry);

} // namespace tarnwick::sqlite
