// One entry of the download queue: a video page address and everything the
// program has learned about it, as values. The grid's texts are derived from
// these by the functions of item_texts.h and never read back.
#pragma once

#include "common/outcome.h"
#include "list/rare_fields.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::list {

// Identifies an item for as long as it is listed, across moves and removals
// of other items. Never shown.
using ItemKey = uint64_t;

enum class ItemState : uint8_t {
    kWaiting,     // not processed yet, or to be processed again
    kPreparing,   // its page is being fetched
    kStarting,    // the page is in: link, probe and the video's connection
    kDownloading, // the video's bytes arrive
    kComplete,
    kFailed,
    kCancelled,
};

// What the item's file name is.
enum class NameKind : uint8_t {
    kAutoDetect,      // still to be derived when the item is prepared
    kNotSupported,    // listed with an address of no supported site
    kUnsupportedLink, // the run found no supported site in the address
    kProcessFailed,   // the page held no video link
    kNamed,           // `name`: derived from the link, or typed by the user
};

// What is known of the video file's size.
enum class SizeKind : uint8_t {
    kNotProbed,         // nothing asked yet
    kKnown,             // `total_size` bytes
    kExistsWithoutSize, // the server has the file but gave no length
    kNotFound,          // the server gave neither a length nor the file
    kNone,              // the answer was an error or a web page: there is no size to tell
};

struct DownloadItem {
    ItemKey key = 0;
    // Exactly as it was entered.
    std::string page_address;
    std::string name;       // when kNamed
    int64_t total_size = 0; // when kKnown
    // The video's bytes received so far.
    int64_t received = 0;
    // While the page is fetched: its bytes so far, and its length when it
    // gave one (0 when not).
    int64_t page_received = 0;
    int64_t page_size = 0;
    // Why it failed, when kFailed.
    RareValue<Failure> failure;
    // The temporary file it owns, kept from a transfer cut off or stopped
    // partway; empty when it owns none. `kept` of its bytes are known to be
    // on disk, and `validator` (a strong ETag or a Last-Modified date) names
    // the version of the video they belong to, for a transfer that resumes.
    RareText temporary_path;
    int64_t kept = 0;
    RareText validator;
    // The site index of the address (-1: no supported site).
    int site = -1;
    NameKind name_kind = NameKind::kAutoDetect;
    ItemState state = ItemState::kWaiting;
    SizeKind size_kind = SizeKind::kNotProbed;

    bool operator==(const DownloadItem&) const = default;
};

// The item owns no temporary file from now on, and so keeps no bytes.
inline void ForgetKeptFile(DownloadItem& item) {
    item.temporary_path.clear();
    item.kept = 0;
    item.validator.clear();
}

// Whether a run takes the item: every state but complete and failed.
inline bool IsRunnable(const DownloadItem& item) {
    return item.state != ItemState::kComplete && item.state != ItemState::kFailed;
}

} // namespace tarnwick::list
