// Bolt: the page's embed code for this address shows a still image whose
// address, cut at its last "_" (or "."), names the movie.
#include "common/text.h"
#include "resolve/sites/extractors.h"
#include "resolve/sites/marker_search.h"

namespace tarnwick::resolve {
namespace {

using text::Find;
using text::FindLast;
using text::Left;
using text::Part;
using text::ReplaceAll;

} // namespace

std::string GetBoltLink(std::string_view sLink, std::string_view page) {
    const std::string m = "Value=\"[url=" + std::string(sLink) + "][IMG]";
    const std::optional<long> p = Locate(page, m);
    if (!p) return {};
    const long s = *p + Length(m);
    const std::optional<long> q = Locate(page, "[/IMG]", s);
    if (!q) return {};
    std::string image = Part(page, s, *q - s);

    if (const long u = FindLast(image, "_"); u > 0) {
        image = Left(image, u - 1);
    } else if (const long d = FindLast(image, "."); d > 0) {
        image = Left(image, d - 1);
    }
    image = ReplaceAll(image, "/image/", "/movie/");
    if (Find(image, ".flv") == 0) image += ".flv";
    return image;
}

} // namespace tarnwick::resolve
