// ZippyVideos: four player parameters, each found on its own, make the path.
#include "common/text.h"
#include "resolve/sites/extractors.h"
#include "resolve/sites/marker_search.h"

namespace tarnwick::resolve {
namespace {

using text::Part;

// The text after `name` up to the next `end`, searched from the page's start.
std::string ValueAfter(std::string_view page, std::string_view name, std::string_view end) {
    const long s = Locate(page, name);
    const long e = Locate(page, end, s);
    return Part(page, s + Length(name), e - s - Length(name));
}

} // namespace

std::string GetZippyVideosLink(std::string_view, std::string_view page) {
    const std::string storage = ValueAfter(page, "storageId=", "&");
    const std::string user = ValueAfter(page, "userName=", "&");
    const std::string video = ValueAfter(page, "videoId=", "&");
    const std::string server = ValueAfter(page, "srvURL=", "'");
    return server + "/" + storage + "/" + user + "/" + video;
}

} // namespace tarnwick::resolve
