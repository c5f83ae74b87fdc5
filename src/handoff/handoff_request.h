// What the extension asks of the native host, read from its JSON, and the
// host's replies. Everything here comes from a browser and is untrusted:
// a request that does not fit the schema or the caps below is refused as a
// whole with a reason, never partly taken.
//
// Requests:
//   {"type":"ping"}
//   {"type":"add","items":[ITEM, ...]}
// ITEM:
//   {"url":"https://…",            required: http or https, at most kMaxAddressBytes
//    "origin":"link"|"media"|"page"|"selection"|"popup"|"takeover",   required
//    "name":"file name",           optional
//    "page":"https://…", "referrer":"https://…",   optional, http(s) or empty
//    "userAgent":"…",              optional, at most kMaxAddressBytes, no control characters
//    "cookies":[COOKIE, ...]}      optional, at most kMaxCookies and kMaxCookieBytes
// COOKIE: the browsers' cookies.Cookie: "name","value","domain","path" strings,
//   "hostOnly","secure","httpOnly","session" booleans, "expirationDate" number
//   (seconds, may have a fraction). Other keys are ignored everywhere.
//
// Replies (each a JSON object, kept under kMaxReplyBytes):
//   {"ok":true,"version":"1.2.3"}                     to a ping
//   {"ok":true,"items":[{"url":…,"result":"added"|"listed"|"refused","reason":…}]}
//   {"ok":false,"reason":"…"}                         a refusal of the whole request
#pragma once

#include "handoff/item_context.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tarnwick::handoff {

inline constexpr size_t kMaxItems = 1000;
inline constexpr size_t kMaxAddressBytes = 8 * 1024;
inline constexpr size_t kMaxCookies = 300;
// Names and values of an item's cookies together.
inline constexpr size_t kMaxCookieBytes = 64 * 1024;

// Where in the browser the item was handed from.
enum class ItemOrigin { kLink, kMedia, kPage, kSelection, kPopup, kTakeover };

struct HandedItem {
    std::string url;
    ItemOrigin origin = ItemOrigin::kLink;
    // A file name the browser suggests: its last path component only, and
    // not yet cleaned as a file name.
    std::string name;
    ItemContext context;

    bool operator==(const HandedItem&) const = default;
};

struct HandoffRequest {
    enum class Kind { kPing, kAdd };
    Kind kind = Kind::kPing;
    std::vector<HandedItem> items;
};

// Why a request (or a line) is refused: words the extension shows the user,
// in English, short, naming the item when it is one ("Item 3: the address
// is not http or https").
struct Refusal {
    std::string reason;
    bool operator==(const Refusal&) const = default;
};

// The request in `json`, or why it is refused.
std::variant<HandoffRequest, Refusal> ParseHandoffRequest(std::string_view json);

// Whether the browser started the host for our extension: Chromium passes
// "chrome-extension://ID/" as the first argument, Firefox the manifest's
// path and then the add-on's id.
bool IsOurCaller(const std::vector<std::string>& arguments);

// What became of one item.
struct ItemReply {
    enum class Result { kAdded, kListed, kRefused };
    std::string url;
    Result result = Result::kRefused;
    std::string reason; // why refused; empty otherwise
};

std::string PingReply(std::string_view version);
// Replies for the items, in order; past kMaxReplyBytes the addresses and
// reasons of the last items are shortened so that the reply fits.
std::string ItemsReply(const std::vector<ItemReply>& items);
std::string RefusalReply(std::string_view reason);

// One item as the host hands it on to the running program: one line of JSON
// (no LF inside), and back, checked again against the same caps.
std::string ChannelItemLine(const HandedItem& item);
std::variant<HandedItem, Refusal> ParseChannelItemLine(std::string_view line);

// The running program's answer to an item's line: "added", "listed", or
// "refused" and the reason; and back, as the reply for the item at `url`
// (an answer of neither kind reads as a refusal that says so).
std::string AnswerLine(ItemReply::Result result, std::string_view reason = {});
ItemReply ReplyOfAnswer(const std::string& url, std::string_view answer);

} // namespace tarnwick::handoff
