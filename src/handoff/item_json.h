// One handed item as JSON, in the extension's words: read and checked
// against the caps, and written back. The request from the browser and the
// line the host hands on to the program share it, so both are checked alike.
#pragma once

#include "handoff/handoff_request.h"

#include <nlohmann/json.hpp>

#include <string>
#include <variant>

namespace tarnwick::handoff::detail {

using Json = nlohmann::json;

// The item in `item`, or why it is refused, in words that follow
// "Item 3: " ("the address is not http or https").
std::variant<HandedItem, std::string> ReadItem(const Json& item);

// `item` as ReadItem reads it: ReadItem(ItemJson(item)) gives `item` back
// when it passed ReadItem before.
Json ItemJson(const HandedItem& item);

// `json` as compact text; bytes that are not UTF-8 become U+FFFD, so this
// never throws.
std::string CompactText(const Json& json);

} // namespace tarnwick::handoff::detail
