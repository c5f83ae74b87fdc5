// Reading a master playlist: the variant streams it offers, the renditions
// (sound, pictures, subtitles) they may take from elsewhere, and the choice
// of the one stream to download.
#pragma once

#include "common/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::hls {

// A variant stream (EXT-X-STREAM-INF). I-frame only variants are not read.
struct Variant {
    std::string uri; // absolute
    uint64_t bandwidth = 0;
    std::optional<uint64_t> height; // of its RESOLUTION
    std::string codecs;
    std::string audio_group; // the GROUP-ID of its sound renditions; empty for none
    bool operator==(const Variant&) const = default;
};

enum class MediaType { kAudio, kVideo, kSubtitles, kClosedCaptions, kOther };

// A rendition (EXT-X-MEDIA). Without a URI its media comes inside the
// variants of its group.
struct Rendition {
    MediaType type = MediaType::kOther;
    std::string group_id;
    std::string name;
    std::string language;
    bool is_default = false;
    bool autoselect = false;
    std::optional<std::string> uri; // absolute
    bool operator==(const Rendition&) const = default;
};

struct MasterPlaylist {
    std::vector<Variant> variants; // in the playlist's order
    std::vector<Rendition> renditions;
};

// Whether a playlist is a master playlist: it names a variant stream.
bool IsMasterPlaylist(std::string_view text);

// The master playlist in `text`, its URIs resolved against `address`, the
// playlist's final address after any redirects. A variant whose URI does not
// follow its tag is left out. Fails (kPlaylistUnreadable) without #EXTM3U.
Result<MasterPlaylist> ParseMasterPlaylist(std::string_view text, std::string_view address);

// The stream to download, and its sound when that comes separately.
struct StreamChoice {
    Variant variant;
    std::optional<Rendition> separate_audio;
    bool IsAudioSeparate() const { return separate_audio.has_value(); }
};

// The variant with the highest picture (RESOLUTION height, then BANDWIDTH;
// the first of equals) among those that carry their own sound. A variant
// carries it when it has no sound group, or when its group's preferred
// rendition has no URI. The preferred rendition is the first that is
// DEFAULT=YES, else the first AUTOSELECT=YES, else the first with a URI.
// When every variant takes its sound from elsewhere: the highest of all,
// with its group's preferred rendition. Fails (kPlaylistUnreadable) without
// variants.
// A cap on the picture's height (resolve::CappedHeight; 0 for none) first
// leaves out the variants taller than it lets through.
Result<StreamChoice> ChooseStream(const MasterPlaylist& playlist, int64_t max_height = 0);

// The stream to keep only the sound of, fetching as little picture as can
// be: the audio-only variant (no RESOLUTION, no picture codec) of the highest
// BANDWIDTH; else the sound rendition with a playlist of its own that the
// variants take; else the variant of the shortest picture with its sound.
// Fails (kPlaylistUnreadable) without variants.
Result<StreamChoice> ChooseSoundStream(const MasterPlaylist& playlist);

} // namespace tarnwick::hls
