#include "hls/media_playlist.h"

#include "common/text.h"
#include "hls/hls_detection.h"
#include "hls/playlist_syntax.h"
#include "resolve/url_resolution.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <utility>

namespace tarnwick::hls {
namespace {

Failure Unreadable(std::string detail) {
    return Failure{Reason::kPlaylistUnreadable, 0, std::move(detail)};
}

// The duration of an EXTINF ("9.009," or "10,title"), in seconds.
std::optional<double> Duration(std::string_view value) {
    const std::string number = text::TrimSpaces(value.substr(0, value.find(',')));
    double seconds = 0;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, seconds);
    if (number.empty() || error != std::errc() || stop != end) return std::nullopt;
    if (!std::isfinite(seconds) || seconds < 0) return std::nullopt;
    return seconds;
}

// A byte range as written, "LENGTH[@OFFSET]".
struct WrittenRange {
    uint64_t length = 0;
    std::optional<uint64_t> offset;
};

std::optional<WrittenRange> RangeIn(std::string_view value) {
    const size_t at = value.find('@');
    const std::optional<uint64_t> length = DecimalInteger(value.substr(0, at));
    if (!length) return std::nullopt;
    if (at == std::string_view::npos) return WrittenRange{*length, std::nullopt};
    const std::optional<uint64_t> offset = DecimalInteger(value.substr(at + 1));
    if (!offset) return std::nullopt;
    return WrittenRange{*length, *offset};
}

KeyMethod KeyMethodOf(std::string_view method) {
    if (method == "NONE") return KeyMethod::kNone;
    if (method == "AES-128") return KeyMethod::kAes128;
    if (method == "SAMPLE-AES") return KeyMethod::kSampleAes;
    if (method == "SAMPLE-AES-CTR") return KeyMethod::kSampleAesCtr;
    return KeyMethod::kUnknown;
}

// An IV of up to 16 bytes, as a big-endian number.
std::optional<Iv> IvFrom(const std::vector<uint8_t>& bytes) {
    if (bytes.size() > 16) return std::nullopt;
    Iv iv{};
    std::copy(bytes.begin(), bytes.end(), iv.end() - static_cast<long>(bytes.size()));
    return iv;
}

// Reads a media playlist line by line; the state is what is in force for
// the next segment.
class MediaReader {
public:
    explicit MediaReader(std::string_view address) : address_(address) {}

    Status Read(const PlaylistLine& line) {
        if (line.kind == PlaylistLine::Kind::kUri) return ReadSegment(line.value);
        return ReadTag(line.name, line.value);
    }

    MediaPlaylist Finish() && {
        for (size_t index = 0; index < playlist_.segments.size(); ++index) {
            playlist_.segments[index].sequence = playlist_.media_sequence + index;
        }
        return std::move(playlist_);
    }

private:
    Status ReadTag(std::string_view name, std::string_view value) {
        if (name == "EXTINF") return ReadDuration(value);
        if (name == "EXT-X-BYTERANGE") return ReadByteRange(value);
        if (name == "EXT-X-KEY") return ReadKey(AttributeList(value));
        if (name == "EXT-X-MAP") return ReadMap(AttributeList(value));
        if (name == "EXT-X-MEDIA-SEQUENCE") return ReadMediaSequence(value);
        if (name == "EXT-X-DISCONTINUITY") next_.discontinuity = true;
        if (name == "EXT-X-ENDLIST") playlist_.ends = true;
        if (name == "EXT-X-TARGETDURATION") playlist_.target_duration = DecimalInteger(value);
        if (name == "EXT-X-PLAYLIST-TYPE") ReadPlaylistType(value);
        return {};
    }

    Status ReadDuration(std::string_view value) {
        const std::optional<double> duration = Duration(value);
        if (!duration) return Unreadable("a segment's duration is unreadable");
        next_.duration = *duration;
        has_duration_ = true;
        return {};
    }

    Status ReadByteRange(std::string_view value) {
        next_range_ = RangeIn(value);
        if (!next_range_) return Unreadable("a segment's byte range is unreadable");
        return {};
    }

    Status ReadKey(const AttributeList& attributes) {
        SegmentKey key;
        key.method = KeyMethodOf(attributes.Text("METHOD").value_or(""));
        if (const std::optional<std::string> uri = attributes.Text("URI")) {
            key.uri = resolve::ResolveReference(address_, *uri);
        }
        if (attributes.Text("IV")) {
            const std::optional<std::vector<uint8_t>> bytes = attributes.HexBytes("IV");
            key.iv = bytes ? IvFrom(*bytes) : std::nullopt;
            if (!key.iv) return Unreadable("a key's IV is unreadable");
        }
        key.key_format = attributes.Text("KEYFORMAT").value_or("identity");
        key.key_format_versions = attributes.Text("KEYFORMATVERSIONS").value_or("");
        playlist_.keys.push_back(key);
        key_ = std::move(key);
        return {};
    }

    Status ReadMap(const AttributeList& attributes) {
        const std::optional<std::string> uri = attributes.Text("URI");
        if (!uri) return Unreadable("a map has no URI");
        SegmentMap map{resolve::ResolveReference(address_, *uri), std::nullopt, key_};
        if (const std::optional<std::string> range_text = attributes.Text("BYTERANGE")) {
            const std::optional<WrittenRange> range = RangeIn(*range_text);
            if (!range) return Unreadable("a map's byte range is unreadable");
            map.range = ByteRange{range->length, range->offset.value_or(0)};
        }
        map_ = std::move(map);
        return {};
    }

    Status ReadMediaSequence(std::string_view value) {
        const std::optional<uint64_t> sequence = DecimalInteger(value);
        if (!sequence) return Unreadable("the media sequence number is unreadable");
        playlist_.media_sequence = *sequence;
        return {};
    }

    void ReadPlaylistType(std::string_view value) {
        if (value == "VOD") playlist_.type = PlaylistType::kVod;
        if (value == "EVENT") playlist_.type = PlaylistType::kEvent;
    }

    Status ReadSegment(std::string_view uri) {
        if (!has_duration_) return Unreadable("a segment has no EXTINF");
        next_.uri = resolve::ResolveReference(address_, uri);
        next_.key = key_;
        next_.map = map_;
        if (next_range_) next_.range = RangeOf(next_.uri, *next_range_);
        playlist_.segments.push_back(std::move(next_));
        next_ = Segment{};
        next_range_.reset();
        has_duration_ = false;
        return {};
    }

    // A range without an offset continues after the last one of its URI.
    ByteRange RangeOf(const std::string& uri, const WrittenRange& written) {
        uint64_t& end = range_ends_[uri];
        const ByteRange range{written.length, written.offset.value_or(end)};
        end = range.offset + range.length;
        return range;
    }

    std::string_view address_;
    MediaPlaylist playlist_;
    SegmentKey key_;
    std::optional<SegmentMap> map_;
    Segment next_;
    bool has_duration_ = false;
    std::optional<WrittenRange> next_range_;
    std::map<std::string, uint64_t> range_ends_;
};

bool IsProtecting(const SegmentKey& key) {
    return key.method == KeyMethod::kSampleAes || key.method == KeyMethod::kSampleAesCtr ||
           key.key_format != "identity" ||
           (key.uri && text::StartsWithIgnoreCase(*key.uri, "skd://"));
}

// Why a key keeps the playlist from being read; nothing when it does not.
std::optional<Failure> KeyProblem(const SegmentKey& key) {
    if (key.method == KeyMethod::kUnknown) return Unreadable("a key's method is unknown");
    if (key.method == KeyMethod::kAes128 && !(key.uri && resolve::IsWebAddress(*key.uri))) {
        return Unreadable("a key is not at an http or https address");
    }
    return std::nullopt;
}

std::optional<Failure> SegmentProblem(const Segment& segment) {
    if (!resolve::IsWebAddress(segment.uri)) {
        return Unreadable("a segment is not at an http or https address");
    }
    if (segment.map && !resolve::IsWebAddress(segment.map->uri)) {
        return Unreadable("a map is not at an http or https address");
    }
    return std::nullopt;
}

} // namespace

Result<MediaPlaylist> ParseMediaPlaylist(std::string_view text, std::string_view address) {
    if (!IsHlsBody(text)) return Unreadable("not an HLS playlist");
    MediaReader reader(address);
    for (const PlaylistLine& line : PlaylistLines(text)) {
        if (Status status = reader.Read(line); !status) return status.failure();
    }
    return std::move(reader).Finish();
}

Status CheckDownloadable(const MediaPlaylist& playlist) {
    if (!playlist.ends || playlist.type == PlaylistType::kEvent) {
        return Failure{Reason::kLiveStream};
    }
    for (const SegmentKey& key : playlist.keys) {
        if (IsProtecting(key)) return Failure{Reason::kProtectedVideo};
    }
    if (playlist.segments.empty()) return Unreadable("the playlist has no segments");
    for (const SegmentKey& key : playlist.keys) {
        if (std::optional<Failure> problem = KeyProblem(key)) return *problem;
    }
    for (const Segment& segment : playlist.segments) {
        if (std::optional<Failure> problem = SegmentProblem(segment)) return *problem;
    }
    return {};
}

SegmentFormat FormatOf(const MediaPlaylist& playlist) {
    for (const Segment& segment : playlist.segments) {
        if (segment.map) return SegmentFormat::kFmp4;
    }
    return SegmentFormat::kMpegTs;
}

Iv SegmentIv(const Segment& segment) {
    if (segment.key.iv) return *segment.key.iv;
    Iv iv{};
    uint64_t sequence = segment.sequence;
    for (size_t at = iv.size(); at-- > iv.size() - 8;) {
        iv[at] = static_cast<uint8_t>(sequence & 0xFF);
        sequence >>= 8;
    }
    return iv;
}

} // namespace tarnwick::hls
