// DailyMotion: the player's escaped "url" variable.
#include "common/text.h"
#include "resolve/sites/extractors.h"
#include "resolve/sites/marker_search.h"
#include "resolve/unescape_url.h"

namespace tarnwick::resolve {
namespace {

using text::Part;

} // namespace

std::string GetDailyMotionLink(std::string_view, std::string_view page) {
    // The value starts two characters after the marker (normally a blank
    // and the opening quote).
    const std::optional<long> p = Locate(page, "addVariable(\"url\",");
    if (!p) return {};
    const std::optional<long> q = Locate(page, kQuote, *p + 20);
    if (!q) return {};
    return UnescapeUrl(Part(page, *p + 20, *q - *p - 20));
}

} // namespace tarnwick::resolve
