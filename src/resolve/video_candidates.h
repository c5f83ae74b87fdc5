// The video addresses a page offers, told apart and chosen between: MP4
// first, then WebM, then any other file; the larger picture within each; HLS
// and DASH manifests never.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::resolve {

struct VideoCandidate {
    std::string address;
    // The declared media type in lower case, without parameters; empty when
    // none was declared.
    std::string type;
    std::optional<long> width;
    std::optional<long> height;
};

// A declared media type as candidates keep it: "Video/MP4; codecs=..." is
// "video/mp4".
std::string MediaTypeOf(std::string_view declared);

// A picture size as pages write it: a whole number of pixels, followed by
// anything ("720", " 720px", "720.5"). Nothing for a text that does not begin
// with a digit, for 0, or for a size beyond any real video's.
std::optional<long> SizeOf(std::string_view written);
// The same for a number: nothing for one below 1 or beyond any real video's.
std::optional<long> SizeOf(double number);

// An address, absolute or relative, whose path (without query and fragment)
// ends in a name with the extension of a video file, in any case; blanks
// around the address do not count.
bool HasVideoExtension(std::string_view address);

// An HLS or DASH manifest, by its declared type or its path's extension.
bool IsManifest(const VideoCandidate& candidate);

// An HLS playlist: a manifest that is not DASH's.
bool IsHlsPlaylist(const VideoCandidate& candidate);
// The first HLS playlist of `candidates`, in page order.
std::optional<VideoCandidate> FirstHlsPlaylist(const std::vector<VideoCandidate>& candidates);

// A declared type that names a page, a player or a picture rather than a
// video: such a candidate is none.
bool DeclaresNoVideo(const VideoCandidate& candidate);

// The best of `candidates`, given in page order, that is no manifest;
// nothing when every one is a manifest. A cap on the picture's height
// (CappedHeight; 0 for none) first leaves out those of a known height taller
// than it lets through.
std::optional<VideoCandidate> ChooseVideo(const std::vector<VideoCandidate>& candidates,
                                          int64_t max_height = 0);

} // namespace tarnwick::resolve
