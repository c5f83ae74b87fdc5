// PutFile: the first FLV (or else WMV) file address written in the page.
#include "common/text.h"
#include "resolve/sites/extractors.h"

namespace tarnwick::resolve {
namespace {

using text::Find;
using text::FindLast;
using text::Part;

} // namespace

std::string GetPutFileLink(std::string_view, std::string_view page) {
    long e = Find(page, ".flv");
    if (e == 0) e = Find(page, ".wmv");
    if (e == 0) return {};
    const long h = FindLast(page, "http", e);
    if (h == 0) return {};
    return Part(page, h, e - h + 4);
}

} // namespace tarnwick::resolve
