// ZippyVideos: four player parameters, each found on its own, make the path.
#include "common/text.h"
#include "resolve/sites/extractors.h"
#include "resolve/sites/marker_search.h"

namespace tarnwick::resolve {
namespace {

using text::Part;

// The text after `name` up to the next `end`, searched from the page's start;
// nothing when either is missing.
std::optional<std::string> ValueAfter(std::string_view page, std::string_view name,
                                      std::string_view end) {
    const std::optional<long> s = Locate(page, name);
    if (!s) return std::nullopt;
    const std::optional<long> e = Locate(page, end, *s);
    if (!e) return std::nullopt;
    return Part(page, *s + Length(name), *e - *s - Length(name));
}

} // namespace

std::string GetZippyVideosLink(std::string_view, std::string_view page) {
    const std::optional<std::string> storage = ValueAfter(page, "storageId=", "&");
    const std::optional<std::string> user = ValueAfter(page, "userName=", "&");
    const std::optional<std::string> video = ValueAfter(page, "videoId=", "&");
    const std::optional<std::string> server = ValueAfter(page, "srvURL=", "'");
    if (!storage || !user || !video || !server) return {};
    return *server + "/" + *storage + "/" + *user + "/" + *video;
}

} // namespace tarnwick::resolve
