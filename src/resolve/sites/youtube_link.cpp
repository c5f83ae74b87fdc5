// YouTube: the watch address becomes a get_video address carrying the page's
// video id and the player's token.
#include "common/text.h"
#include "resolve/sites/extractors.h"
#include "resolve/sites/marker_search.h"

namespace tarnwick::resolve {
namespace {

using text::Find;
using text::Left;
using text::Part;
using text::ReplaceAll;

constexpr std::string_view kSignature = "&s=5A3C19E07B2D4F68:9E1B7C40D2A5F386";

} // namespace

std::string GetYouTubeLink(std::string_view sLink, std::string_view page) {
    // The address's id starts after "watch?v" and one more character ("=").
    const std::optional<long> a = Locate(sLink, "watch?v");
    if (!a) return {};
    const long e = Find(sLink, "&", *a);
    // An "&" where the "=" belongs leaves no id to take.
    if (e > 0 && e < *a + 8) return {};
    std::string id;
    std::string base;
    if (e > 0) {
        id = Part(sLink, *a + 8, e - *a - 8);
        base = Left(sLink, e - 1);
    } else {
        id = Part(sLink, *a + 8);
        base = std::string(sLink);
    }
    base = ReplaceAll(base, "Watch?v", "get_video?video_id");

    // The page's id and token sit in the player's parameters.
    const std::optional<long> player = Locate(page, "new SWFObject");
    if (!player) return {};
    const std::optional<long> f = Locate(page, "video_id=", *player);
    if (!f) return {};
    const std::optional<long> g = Locate(page, "&", *f);
    if (!g) return {};
    const std::string page_id = Part(page, *f + 9, *g - *f - 9);
    const std::optional<long> t = Locate(page, "&t=", *f);
    if (!t) return {};
    const std::optional<long> q = Locate(page, kQuote, *t + 3);
    if (!q) return {};
    const std::string token = Part(page, *t + 3, *q - *t - 3);

    base = ReplaceAll(base, id, page_id);
    return base + "&t=" + token + std::string(kSignature);
}

} // namespace tarnwick::resolve
