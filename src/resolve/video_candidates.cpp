#include "resolve/video_candidates.h"

#include "common/text.h"
#include "resolve/quality_preferences.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace tarnwick::resolve {
namespace {

constexpr size_t kNone = std::string_view::npos;

// Pixels: no real video's picture is wider or taller.
constexpr long kLargestSize = 100000;

constexpr std::array<std::string_view, 10> kVideoExtensions = {
    ".mp4", ".m4v", ".webm", ".mkv", ".mov", ".ogv", ".flv", ".avi", ".wmv", ".3gp"};
constexpr std::array<std::string_view, 2> kMp4Extensions = {".mp4", ".m4v"};
constexpr std::array<std::string_view, 1> kWebmExtensions = {".webm"};
constexpr std::array<std::string_view, 2> kManifestExtensions = {".m3u8", ".mpd"};
constexpr std::array<std::string_view, 1> kHlsExtensions = {".m3u8"};
// The HLS playlist's types, then DASH's last.
constexpr std::array<std::string_view, 5> kManifestTypes = {
    "application/vnd.apple.mpegurl", "application/x-mpegurl", "audio/mpegurl", "audio/x-mpegurl",
    "application/dash+xml"};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The path of an absolute or relative address, without query and fragment.
std::string_view PathOf(std::string_view address) {
    size_t start = 0;
    const size_t scheme_end = address.find("://");
    if (scheme_end != kNone && scheme_end < address.find_first_of("/?#")) {
        start = std::min(address.find_first_of("/?#", scheme_end + 3), address.size());
    }
    const size_t end = std::min(address.find_first_of("?#", start), address.size());
    return address.substr(start, end - start);
}

// Whether the path's last segment is a name followed by one of `extensions`.
template <size_t N>
bool PathEndsIn(std::string_view address, const std::array<std::string_view, N>& extensions) {
    const std::string path = text::ToLowerAscii(PathOf(address));
    return std::any_of(extensions.begin(), extensions.end(), [&](std::string_view extension) {
        return path.size() > extension.size() && path.ends_with(extension) &&
               path[path.size() - extension.size() - 1] != '/';
    });
}

enum class Rank { kMp4, kWebm, kOther };

Rank RankOf(const VideoCandidate& candidate) {
    if (candidate.type.empty()) {
        if (PathEndsIn(candidate.address, kMp4Extensions)) return Rank::kMp4;
        if (PathEndsIn(candidate.address, kWebmExtensions)) return Rank::kWebm;
        return Rank::kOther;
    }
    if (candidate.type == "video/mp4") return Rank::kMp4;
    if (candidate.type == "video/webm") return Rank::kWebm;
    return Rank::kOther;
}

// Whether `later` is to be chosen over `earlier`, which comes before it in
// the page: a better kind of file, else a declared height, a greater one, a
// declared width, a greater one.
bool IsBetter(const VideoCandidate& later, const VideoCandidate& earlier) {
    const auto order = [](const VideoCandidate& c) {
        return std::tuple(-static_cast<int>(RankOf(c)), c.height.has_value(), c.height.value_or(0),
                          c.width.has_value(), c.width.value_or(0));
    };
    return order(later) > order(earlier);
}

} // namespace

std::string MediaTypeOf(std::string_view declared) {
    return text::ToLowerAscii(TrimBlanks(declared.substr(0, declared.find(';'))));
}

std::optional<long> SizeOf(std::string_view written) {
    written = TrimBlanks(written);
    long size = 0;
    size_t digits = 0;
    for (; digits < written.size() && written[digits] >= '0' && written[digits] <= '9'; ++digits) {
        size = size * 10 + (written[digits] - '0');
        if (size > kLargestSize) return std::nullopt;
    }
    if (digits == 0 || size == 0) return std::nullopt;
    return size;
}

std::optional<long> SizeOf(double number) {
    if (!(number >= 1 && number <= kLargestSize)) return std::nullopt;
    return static_cast<long>(number);
}

bool HasVideoExtension(std::string_view address) {
    return PathEndsIn(TrimBlanks(address), kVideoExtensions);
}

bool IsManifest(const VideoCandidate& candidate) {
    return std::find(kManifestTypes.begin(), kManifestTypes.end(), candidate.type) !=
               kManifestTypes.end() ||
           PathEndsIn(candidate.address, kManifestExtensions);
}

bool IsHlsPlaylist(const VideoCandidate& candidate) {
    constexpr std::string_view kDashType = kManifestTypes.back();
    return std::find(kManifestTypes.begin(), kManifestTypes.end() - 1, candidate.type) !=
               kManifestTypes.end() - 1 ||
           (candidate.type != kDashType && PathEndsIn(candidate.address, kHlsExtensions));
}

std::optional<VideoCandidate> FirstHlsPlaylist(const std::vector<VideoCandidate>& candidates) {
    for (const VideoCandidate& candidate : candidates) {
        if (IsHlsPlaylist(candidate)) return candidate;
    }
    return std::nullopt;
}

bool DeclaresNoVideo(const VideoCandidate& candidate) {
    const std::string_view type = candidate.type;
    return type.starts_with("text/") || type.starts_with("image/") ||
           type == "application/xhtml+xml" || type == "application/x-shockwave-flash";
}

std::optional<VideoCandidate> ChooseVideo(const std::vector<VideoCandidate>& candidates,
                                          int64_t max_height) {
    std::vector<int64_t> heights;
    for (const VideoCandidate& candidate : candidates) {
        if (!IsManifest(candidate) && candidate.height) heights.push_back(*candidate.height);
    }
    const std::optional<int64_t> limit = CappedHeight(heights, max_height);
    const VideoCandidate* best = nullptr;
    for (const VideoCandidate& candidate : candidates) {
        if (IsManifest(candidate)) continue;
        if (limit && candidate.height && *candidate.height > *limit) continue;
        if (best == nullptr || IsBetter(candidate, *best)) best = &candidate;
    }
    if (best == nullptr) return std::nullopt;
    return *best;
}

} // namespace tarnwick::resolve
