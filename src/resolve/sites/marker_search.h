// Searches for the markers an extractor cannot do without: a missing one
// answers nothing, and the extractor then answers no link, where the plain
// text::Find would answer 0 and the extraction would go on from the start.
#pragma once

#include <optional>
#include <string_view>

namespace tarnwick::resolve {

inline constexpr std::string_view kQuote = "\"";

// text::Find, with nothing instead of 0 when the marker is missing.
std::optional<long> Locate(std::string_view text, std::string_view marker, long from = 1);
// text::FindLast, with nothing instead of 0 when the marker is missing.
std::optional<long> LocateLast(std::string_view text, std::string_view marker, long before = 0);

inline long Length(std::string_view text) { return static_cast<long>(text.size()); }

} // namespace tarnwick::resolve
