// The texts the grid shows for an item, each derived from the item's values
// by one function. They are for display only.
#pragma once

#include "list/download_item.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::list {

// "Waiting", "Preperaing (37%)", "Start Downloading...", "42",
// "2 KBso far..", "Asking yt-dlp… 12 s", "Complete", "ERROR", ...
std::string StatusText(const DownloadItem& item);
// What the item waits for while no bytes come, with the time so far
// ("Converting to MP4… 1 min 5 s"); empty when it waits for nothing.
std::string ActivityText(const DownloadItem& item);
// The derived or typed name, or a placeholder such as "Waiting (Auto Detect)".
std::string FileNameText(const DownloadItem& item);
// "4.9 KB", "????", "0" (a file without a length), "-1 Bytes" (no file), or
// nothing where the answer was an error or a web page.
std::string SizeText(const DownloadItem& item);

// The percentage of the video received, rounded half to even, while it
// downloads with a known size and waits for nothing; none otherwise. Not
// limited to 100.
std::optional<int32_t> ProgressPercent(const DownloadItem& item);

// `part` of `whole` in per cent, rounded half to even; whole must be above 0.
int64_t PercentOf(int64_t part, int64_t whole);

} // namespace tarnwick::list
