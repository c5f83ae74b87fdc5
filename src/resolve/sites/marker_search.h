// Searches for the markers an extractor cannot do without: a missing one
// ends the extraction, where the plain text::Find would answer 0.
#pragma once

#include <stdexcept>
#include <string_view>

namespace tarnwick::resolve {

class MarkerMissing : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::string_view kQuote = "\"";

// text::Find that throws MarkerMissing instead of answering 0.
long Locate(std::string_view text, std::string_view marker, long from = 1);
// text::FindLast that throws MarkerMissing instead of answering 0.
long LocateLast(std::string_view text, std::string_view marker, long before = 0);

inline long Length(std::string_view text) { return static_cast<long>(text.size()); }

} // namespace tarnwick::resolve
