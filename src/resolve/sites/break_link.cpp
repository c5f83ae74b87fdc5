// Break: the player script names the file and its folder on the media server.
#include "common/text.h"
#include "resolve/sites/extractors.h"
#include "resolve/sites/marker_search.h"
#include "resolve/sites/media_servers.h"

namespace tarnwick::resolve {
namespace {

using text::Part;

} // namespace

std::string GetBreakLink(std::string_view, std::string_view page) {
    // The closing quote is searched from the name's second character on.
    const std::optional<long> p = Locate(page, "sGlobalFileName='");
    if (!p) return {};
    const std::optional<long> q = Locate(page, "'", *p + 18);
    if (!q) return {};
    const std::string name = Part(page, *p + 17, *q - *p - 17);

    const std::optional<long> d = Locate(page, "sGlobalContentFilePath='", *q);
    if (!d) return {};
    const std::optional<long> r = Locate(page, "'", *d + 24);
    if (!r) return {};
    const std::string path = Part(page, *d + 24, *r - *d - 24);

    return std::string(kBreakMediaServer) + path + "/" + name + ".flv";
}

} // namespace tarnwick::resolve
