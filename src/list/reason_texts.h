// Why an item failed, in plain words: the tooltip of its status cell and the
// status line show this beside the grid's bare "ERROR".
#pragma once

#include "list/download_item.h"

#include <cstdint>
#include <string>

namespace tarnwick::list {

// "The video file was not found (404)", "The connection was lost at 40%
// (1.9 of 4.8 MB)", ...; empty unless the item failed.
std::string ReasonText(const DownloadItem& item);

// The standard words of an HTTP status, "404 Not Found"; the bare number for
// a status without common words.
std::string HttpStatusText(int status);

// Two byte counts in the unit of the larger: "1.9 of 4.8 MB", "512 of 900 bytes".
std::string AmountOf(int64_t part, int64_t whole);

} // namespace tarnwick::list
