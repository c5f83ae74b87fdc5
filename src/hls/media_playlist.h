// Reading a media playlist: its segments in order, with the key, map and
// byte range each one is fetched with, and whether the whole can be
// downloaded as a finished video.
#pragma once

#include "common/result.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::hls {

using Iv = std::array<uint8_t, 16>;

enum class KeyMethod { kNone, kAes128, kSampleAes, kSampleAesCtr, kUnknown };

// An EXT-X-KEY: how the segments after it are encrypted.
struct SegmentKey {
    KeyMethod method = KeyMethod::kNone;
    std::optional<std::string> uri = {}; // resolved against the playlist's address
    std::optional<Iv> iv = {};
    std::string key_format = "identity";
    std::string key_format_versions = {}; // as written; empty when not given
    bool operator==(const SegmentKey&) const = default;
};

// Bytes [offset, offset + length) of a resource.
struct ByteRange {
    uint64_t length = 0;
    uint64_t offset = 0;
    bool operator==(const ByteRange&) const = default;
};

// An EXT-X-MAP: the initialisation section the segments after it need, with
// the key in force where it was declared.
struct SegmentMap {
    std::string uri; // absolute
    std::optional<ByteRange> range;
    SegmentKey key;
    bool operator==(const SegmentMap&) const = default;
};

struct Segment {
    std::string uri;       // absolute
    double duration = 0;   // seconds
    uint64_t sequence = 0; // EXT-X-MEDIA-SEQUENCE plus its index
    SegmentKey key;
    std::optional<SegmentMap> map;
    std::optional<ByteRange> range; // without one, the whole resource
    bool discontinuity = false;
    bool operator==(const Segment&) const = default;
};

enum class PlaylistType { kUnspecified, kVod, kEvent };

struct MediaPlaylist {
    std::vector<Segment> segments;
    std::vector<SegmentKey> keys; // every EXT-X-KEY, in order
    bool ends = false;            // EXT-X-ENDLIST
    PlaylistType type = PlaylistType::kUnspecified;
    std::optional<uint64_t> target_duration; // seconds
    uint64_t media_sequence = 0;
};

// The media playlist in `text`, its URIs resolved against `address`, the
// playlist's final address after any redirects. Fails (kPlaylistUnreadable,
// with a short detail) without #EXTM3U, on a URI without EXTINF, and on a
// duration, byte range, IV or map it cannot read. A byte range without an
// offset continues after the previous range of the same URI (from 0 when
// there is none).
Result<MediaPlaylist> ParseMediaPlaylist(std::string_view text, std::string_view address);

// Whether the playlist can be downloaded as one finished video:
// kLiveStream while segments may still come (no EXT-X-ENDLIST, or an EVENT
// playlist); kProtectedVideo for any SAMPLE-AES or SAMPLE-AES-CTR key, any
// KEYFORMAT other than "identity", or a key at an skd:// address;
// kPlaylistUnreadable (with a short detail) for a playlist without segments,
// an unknown key method, an AES-128 key without an http(s) address, or a
// segment or map that is not at an http(s) address.
Status CheckDownloadable(const MediaPlaylist& playlist);

enum class SegmentFormat { kMpegTs, kFmp4 };

// Fragmented MP4 when any segment has a map (EXT-X-MAP), else MPEG-TS.
SegmentFormat FormatOf(const MediaPlaylist& playlist);

// The IV that decrypts a segment: its key's IV, else its sequence number as
// a 16-byte big-endian number.
Iv SegmentIv(const Segment& segment);

} // namespace tarnwick::hls
