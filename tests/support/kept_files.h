// What an item keeps of its download, read the way the tests ask about it.
#pragma once

#include "list/download_item.h"
#include "transfer/kept.h"

#include <cstdint>
#include <string>

namespace tarnwick::test_support {

// The first file the item keeps; empty when it keeps none.
inline std::string KeptPath(const list::DownloadItem& item) {
    const auto files = list::KeptFilesOf(item);
    return files.empty() ? std::string() : files.front();
}

// The bytes on disk it counts on, in all its kept files.
inline int64_t KeptBytes(const list::DownloadItem& item) {
    return item.rare->kept ? transfer::BytesOf(*item.rare->kept) : 0;
}

// The layout of the file it keeps in parts, as text; empty for any other.
inline std::string KeptLayoutText(const list::DownloadItem& item) {
    const auto* parts =
        item.rare->kept ? std::get_if<transfer::KeptParts>(&*item.rare->kept) : nullptr;
    return parts != nullptr ? parts->layout.Text() : std::string();
}

} // namespace tarnwick::test_support
