#include "resolve/sites/marker_search.h"

#include "common/text.h"

namespace tarnwick::resolve {
namespace {

std::optional<long> Found(long position) {
    if (position == 0) return std::nullopt;
    return position;
}

} // namespace

std::optional<long> Locate(std::string_view text, std::string_view marker, long from) {
    return Found(text::Find(text, marker, from));
}

std::optional<long> LocateLast(std::string_view text, std::string_view marker, long before) {
    return Found(text::FindLast(text, marker, before));
}

} // namespace tarnwick::resolve
