// iFilm: the id after "/video/" in the address names the file on the media
// server.
#include "common/text.h"
#include "resolve/sites/extractors.h"
#include "resolve/sites/marker_search.h"
#include "resolve/sites/media_servers.h"

namespace tarnwick::resolve {
namespace {

using text::Find;
using text::Part;

} // namespace

std::string GetIFilmLink(std::string_view sLink, std::string_view) {
    const std::optional<long> v = Locate(sLink, "/video/");
    if (!v) return {};
    const long s = *v + 7;
    long q = Find(sLink, "/", s);
    if (q == 0) q = Find(sLink, "?", s);
    const std::string id = q > 0 ? Part(sLink, s, q - s) : Part(sLink, s);
    return std::string(kIFilmMediaServer) + id + "_300.flv";
}

} // namespace tarnwick::resolve
