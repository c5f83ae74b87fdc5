// One entry of the download queue: a video page address and everything the
// program has learned about it, as values. The grid's texts are derived from
// these by the functions of item_texts.h and never read back.
#pragma once

#include "list/rare_fields.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::list {

// Identifies an item for as long as it is listed, across moves and removals
// of other items. Never shown. A session would have to add an item a
// thousand times a second for seven weeks to run out of keys.
using ItemKey = uint32_t;

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
    kStreamed,          // it comes in pieces: `received` bytes so far, its size at the end
};

// The fields are in an order that leaves no gaps: a long list holds many.
struct DownloadItem {
    ItemKey key = 0;
    // The site index of the address (-1: no supported site).
    int8_t site = -1;
    NameKind name_kind = NameKind::kAutoDetect;
    ItemState state = ItemState::kWaiting;
    SizeKind size_kind = SizeKind::kNotProbed;
    // Exactly as it was entered.
    std::string page_address;
    std::string name;       // when kNamed
    int64_t total_size = 0; // when kKnown
    // The video's bytes received so far.
    int64_t received = 0;
    // Most items never set these.
    RareFieldsHolder rare;

    bool operator==(const DownloadItem&) const = default;
};

// The item owns no temporary file from now on, and so keeps no bytes.
inline void ForgetKeptFile(DownloadItem& item) {
    if (!item.rare.IsHeld()) return;
    item.rare->kept.reset();
    item.rare.Tidy();
}

// The temporary files the item owns.
inline std::vector<std::string> KeptFilesOf(const DownloadItem& item) {
    return item.rare->kept ? transfer::PathsOf(*item.rare->kept) : std::vector<std::string>{};
}

// Whether the item is being processed.
inline bool IsUnderWay(ItemState state) {
    return state == ItemState::kPreparing || state == ItemState::kStarting ||
           state == ItemState::kDownloading;
}

// An item whose processing was broken off (by a removal undone, an exit, a
// crash) waits again, with what it kept on disk and nothing else.
inline void PutBackToWaiting(DownloadItem& item) {
    if (!IsUnderWay(item.state)) return;
    item.state = ItemState::kWaiting;
    item.received = item.rare->kept ? transfer::BytesOf(*item.rare->kept) : 0;
    if (!item.rare.IsHeld()) return;
    item.rare->page_received = 0;
    item.rare->page_size = 0;
    item.rare->activity = Activity::kNone;
    item.rare->activity_seconds = 0;
    item.rare.Tidy();
}

// Whether a run takes the item: every state but complete and failed.
inline bool IsRunnable(const DownloadItem& item) {
    return item.state != ItemState::kComplete && item.state != ItemState::kFailed;
}

} // namespace tarnwick::list
