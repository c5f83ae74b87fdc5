// MySpace: the address's video id alone names the file on the media server,
// filed under a padded id head and two reversed digit pairs.
#include "common/text.h"
#include "resolve/sites/extractors.h"
#include "resolve/sites/marker_search.h"
#include "resolve/sites/media_servers.h"

namespace tarnwick::resolve {
namespace {

using text::Left;
using text::Part;
using text::Reverse;
using text::Right;

constexpr std::size_t kHeadWidth = 7;

} // namespace

std::string GetMySpaceLink(std::string_view sLink, std::string_view) {
    const std::optional<long> v = Locate(sLink, "videoid=");
    if (!v) return {};
    const std::string id = Part(sLink, *v + 8);
    // The id's last five characters give the pairs; a shorter one names no file.
    if (id.size() < 5) return {};
    const std::string pair1 = Reverse(Right(id, 2));
    const std::string pair2 = Right(Reverse(Right(id, 4)), 2);
    std::string head = Left(id, Length(id) - 5);
    if (head.size() < kHeadWidth) head.insert(0, kHeadWidth - head.size(), '0');
    return std::string(kMySpaceMediaServer) + head + "/" + pair1 + "/" + pair2 + "/" + id + ".flv";
}

} // namespace tarnwick::resolve
