// Probes a resolved link and derives the local file name and size text.
#pragma once

#include "resolve/derived_name.h"
#include "transfer/download.h"

#include <string>

namespace tarnwick::resolve {

struct FileInfo {
    std::string FileName;
    std::string SizeText;
};

// Errors of the probe (a Content-Length that is not a number) reach the caller.
FileInfo GetFileInfo(transfer::Download& download, const std::string& link, int site_index);

} // namespace tarnwick::resolve
