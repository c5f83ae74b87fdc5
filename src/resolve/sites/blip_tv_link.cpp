// Blip: the page's read-only permalink field holds the file's address.
#include "common/text.h"
#include "resolve/sites/extractors.h"
#include "resolve/sites/marker_search.h"

namespace tarnwick::resolve {
namespace {

using text::Part;

constexpr std::string_view kPermalinkField =
    R"(readonly="readonly" type="text" class="permalink_input" value=")";
static_assert(kPermalinkField.size() == 63);

} // namespace

std::string GetBlipTvLink(std::string_view, std::string_view page) {
    // The closing quote is searched from the value's tenth character on.
    const std::optional<long> p = Locate(page, kPermalinkField);
    if (!p) return {};
    const std::optional<long> q = Locate(page, kQuote, *p + 72);
    if (!q) return {};
    return Part(page, *p + 63, *q - *p - 63);
}

} // namespace tarnwick::resolve
