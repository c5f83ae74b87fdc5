#include "resolve/sites/embed_source.h"

#include "common/text.h"
#include "resolve/sites/marker_search.h"

namespace tarnwick::resolve {
namespace {

using text::Find;
using text::Part;

} // namespace

std::string EmbedSource(std::string_view page, std::string_view opening, std::string_view closing) {
    const std::optional<long> p = Locate(page, opening);
    if (!p) return {};
    const long start = *p + Length(opening);
    const std::optional<long> q = Locate(page, closing, start);
    if (!q) return {};
    std::string link = Part(page, start, *q - start);
    if (Find(link, "http") == 0) link.clear();
    return link;
}

} // namespace tarnwick::resolve
