// What an item tells the history: how it came, which video it is and where
// it completed, kept with the item as one record, and its entry in the
// history once it completed.
#pragma once

#include "list/download_item.h"
#include "platform/history_store.h"

#include <string>

namespace tarnwick::list {

// "ORIGIN\nCOMPLETED_AT\nIDENTITY\nPATH"; empty when the item has none of
// these.
std::string HistoryRecord(const DownloadItem& item);
// Reads a record back into the item; a damaged record reads as none.
void ReadHistoryRecord(const std::string& record, DownloadItem& item);

// Whether the item completed with a file the history can hold.
bool HasCompletion(const DownloadItem& item);
// The item's entry in the history, named by its file without extension.
platform::HistoryEntry HistoryEntryOf(const DownloadItem& item);

} // namespace tarnwick::list
