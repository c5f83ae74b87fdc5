#include "driver/plan.h"

#include <algorithm>

namespace tarnwick::driver {
namespace {

std::optional<StreamPiece::Range> RangeOf(const std::optional<hls::ByteRange>& range) {
    if (!range) return std::nullopt;
    return StreamPiece::Range{static_cast<int64_t>(range->offset),
                              static_cast<int64_t>(range->length)};
}

std::optional<StreamPiece::Key> KeyOf(const hls::SegmentKey& key, const hls::Iv& iv) {
    if (key.method != hls::KeyMethod::kAes128 || !key.uri) return std::nullopt;
    return StreamPiece::Key{*key.uri, iv};
}

} // namespace

std::vector<StreamPiece> PiecesOf(const hls::MediaPlaylist& playlist) {
    std::vector<StreamPiece> pieces;
    pieces.reserve(playlist.segments.size() + 1);
    for (const hls::Segment& segment : playlist.segments) {
        if (segment.map && pieces.empty()) {
            // Its IV, when the key gives none, is that of the first segment.
            const hls::SegmentMap& map = *segment.map;
            pieces.push_back(
                {map.uri, RangeOf(map.range), KeyOf(map.key, hls::SegmentIv(segment))});
        }
        pieces.push_back(
            {segment.uri, RangeOf(segment.range), KeyOf(segment.key, hls::SegmentIv(segment))});
    }
    return pieces;
}

uint64_t FingerprintOf(const std::vector<StreamPiece>& pieces) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    auto mix = [&hash](std::string_view text) {
        for (const char c : text) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 0x100000001b3ULL;
        }
        hash ^= 0xff;
        hash *= 0x100000001b3ULL;
    };
    for (const StreamPiece& piece : pieces) {
        mix(piece.uri);
        if (piece.range) {
            mix(std::to_string(piece.range->offset) + "@" + std::to_string(piece.range->length));
        }
    }
    return hash;
}

void NoteDurations(const hls::MediaPlaylist& playlist, std::vector<int64_t>& elapsed_ms) {
    if (elapsed_ms.empty()) elapsed_ms.push_back(0);
    const bool has_map = !playlist.segments.empty() && playlist.segments.front().map;
    if (has_map) elapsed_ms.push_back(elapsed_ms.back());
    for (const hls::Segment& segment : playlist.segments) {
        const double ms = std::clamp(segment.duration, 0.0, 86400.0) * 1000.0;
        elapsed_ms.push_back(elapsed_ms.back() + static_cast<int64_t>(ms));
    }
}

} // namespace tarnwick::driver
