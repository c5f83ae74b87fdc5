// Probes a resolved link and derives the local file name and size text.
#pragma once

#include "transfer/download.h"

#include <string>

namespace tarnwick::resolve {

struct FileInfo {
    std::string FileName;
    std::string SizeText;
};

// Longest file names: in general, and for the one site whose links end in
// a signature rather than a name.
inline constexpr long kMaxFileName = 100;
inline constexpr long kMaxYouTubeFileName = 35;

// Errors of the probe (a Content-Length that is not a number) reach the caller.
FileInfo GetFileInfo(transfer::Download& download, const std::string& link, int site_index);

} // namespace tarnwick::resolve
