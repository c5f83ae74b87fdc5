#include "resolve/sites/marker_search.h"

#include "common/text.h"

#include <string>

namespace tarnwick::resolve {
namespace {

long Required(long position, std::string_view marker) {
    if (position == 0) throw MarkerMissing("marker not found: " + std::string(marker));
    return position;
}

} // namespace

long Locate(std::string_view text, std::string_view marker, long from) {
    return Required(text::Find(text, marker, from), marker);
}

long LocateLast(std::string_view text, std::string_view marker, long before) {
    return Required(text::FindLast(text, marker, before), marker);
}

} // namespace tarnwick::resolve
