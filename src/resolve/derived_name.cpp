#include "resolve/derived_name.h"

#include "common/text.h"
#include "resolve/file_naming.h"
#include "resolve/site_index.h"

namespace tarnwick::resolve {
namespace {

bool EndsInVideoExtension(const std::string& link) {
    const std::string ext = text::ToLowerAscii(text::Right(link, 4));
    return ext == ".flv" || ext == ".wmv";
}

// The link's own last segment; the whole link when it has no "/".
std::string LastSegment(const std::string& link) {
    const long slash = text::FindLast(link, "/");
    return slash > 0 ? text::Part(link, slash + 1) : link;
}

// Keeps the first characters and the last four (the extension).
std::string CutKeepingExtension(const std::string& name, long length) {
    if (static_cast<long>(name.size()) <= length) return name;
    return text::Left(name, length - 4) + text::Right(name, 4);
}

} // namespace

std::string DeriveFileName(const std::string& link, std::string name, int site_index) {
    const bool video_link = EndsInVideoExtension(link);
    if (name.empty() || video_link) {
        const bool has_slash = text::FindLast(link, "/") > 0;
        name = (video_link && has_slash) ? LastSegment(link) : CleanFileName(LastSegment(link));
    }
    if (site_index == kSiteYouTube || site_index == kSiteDailyMotion ||
        site_index == kSiteZippyVideos) {
        name += ".flv";
    }
    name = CutKeepingExtension(name, kMaxFileName);
    if (site_index == kSiteYouTube) name = CutKeepingExtension(name, kMaxYouTubeFileName);
    return CleanFileName(name);
}

} // namespace tarnwick::resolve
