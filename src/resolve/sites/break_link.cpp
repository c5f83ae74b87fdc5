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
    const long p = Locate(page, "sGlobalFileName='");
    const long q = Locate(page, "'", p + 18);
    const std::string name = Part(page, p + 17, q - p - 17);

    const long d = Locate(page, "sGlobalContentFilePath='", q);
    const long r = Locate(page, "'", d + 24);
    const std::string path = Part(page, d + 24, r - d - 24);

    return std::string(kBreakMediaServer) + path + "/" + name + ".flv";
}

} // namespace tarnwick::resolve
