// Google Video: the iPod download link when the page offers one, or else the
// escaped address given to the player as "videoUrl".
#include "common/text.h"
#include "resolve/sites/extractors.h"
#include "resolve/sites/marker_search.h"
#include "resolve/unescape_url.h"

namespace tarnwick::resolve {
namespace {

using text::Find;
using text::Part;
using text::ReplaceAll;

} // namespace

std::string GetGoogleVideoLink(std::string_view, std::string_view page) {
    const long p = Find(page, "ipoddownloadlink");
    if (p > 0) {
        // The last href in front of the marker; its value starts after the
        // opening quote.
        const std::optional<long> h = LocateLast(page, "href=", p);
        if (!h) return {};
        const std::optional<long> q = Locate(page, kQuote, *h + 7);
        if (!q) return {};
        const std::string link = Part(page, *h + 6, *q - *h - 6);
        return ReplaceAll(link, "&amp;", "&");
    }
    const std::optional<long> v = Locate(page, "videoUrl");
    if (!v) return {};
    const std::optional<long> s = Locate(page, "http", *v);
    if (!s) return {};
    const std::optional<long> q = Locate(page, kQuote, *s);
    if (!q) return {};
    return UnescapeUrl(Part(page, *s, *q - *s));
}

} // namespace tarnwick::resolve
