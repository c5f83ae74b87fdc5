// The videos a page describes in JSON-LD: schema.org VideoObjects.
#pragma once

#include "resolve/video_candidates.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace tarnwick::resolve {

// The VideoObjects anywhere in the JSON-LD `text` (at the top, in arrays, in
// "@graph", inside other objects), in the order they are written, at most
// `limit` of them: of each, its contentUrl as written, its encodingFormat,
// width and height. Text that is no JSON gives none, and what is nested
// deeper than any real description is not looked at. The comment or CDATA
// marks that pages wrap around a script ("<!-- ... -->",
// "//<![CDATA[ ... //]]>") do not count.
std::vector<VideoCandidate> VideoObjectsIn(std::string_view text, size_t limit);

} // namespace tarnwick::resolve
