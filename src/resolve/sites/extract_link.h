// Dispatch from a site index to its extractor.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick::resolve {

using Extractor = std::string (*)(std::string_view sLink, std::string_view page);

// The extractor of a site index, or nullptr for an index without one
// (-1, 0, 7 and anything outside 1..13).
Extractor ExtractorFor(int site_index);

// The link that the site's extractor builds from the address and the page,
// or the empty text: for an index without extractor, for an empty page (a
// page that could not be read, even for the sites that use only the address)
// and wherever the extractor finds no link.
std::string ExtractLink(int site_index, std::string_view sLink, std::string_view page);

} // namespace tarnwick::resolve
