#include "hls/webvtt_pieces.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <set>
#include <string_view>

namespace tarnwick::hls {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kArrow = "-->";
constexpr std::string_view kTimestampMap = "X-TIMESTAMP-MAP=";
// The stream's clock counts 90,000 a second.
constexpr int64_t kTicksPerMillisecond = 90;

std::optional<int64_t> NumberOf(std::string_view text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return {};
    return value;
}

// "mm:ss.ttt" or "hh:mm:ss.ttt" in milliseconds.
std::optional<int64_t> CueTimeOf(std::string_view text) {
    const size_t dot = text.rfind('.');
    if (dot == std::string_view::npos || text.size() - dot != 4) return {};
    const std::optional<int64_t> thousandths = NumberOf(text.substr(dot + 1));
    int64_t seconds = 0;
    int parts = 0;
    for (std::string_view rest = text.substr(0, dot); !rest.empty() || parts == 0; ++parts) {
        const size_t colon = rest.find(':');
        const std::optional<int64_t> part = NumberOf(rest.substr(0, colon));
        if (!part || parts == 3) return {};
        seconds = seconds * 60 + *part;
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    if (!thousandths || parts < 2) return {};
    return seconds * 1000 + *thousandths;
}

std::string CueTimeText(int64_t ms) {
    if (ms < 0) ms = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld",
                  static_cast<long long>(ms / 3600000), static_cast<long long>(ms / 60000 % 60),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
    return text;
}

// Where a piece's cue times sit on the stream's clock, in milliseconds:
// "X-TIMESTAMP-MAP=MPEGTS:900000,LOCAL:00:00:00.000" says 10 s on from its
// cue times.
std::optional<int64_t> OffsetOf(std::string_view header) {
    const size_t at = header.find(kTimestampMap);
    if (at == std::string_view::npos) return {};
    std::string_view map = header.substr(at + kTimestampMap.size());
    map = map.substr(0, map.find('\n'));
    std::optional<int64_t> ticks, local;
    while (!map.empty()) {
        const size_t comma = map.find(',');
        const std::string_view field = map.substr(0, comma);
        if (field.starts_with("MPEGTS:")) ticks = NumberOf(field.substr(7));
        if (field.starts_with("LOCAL:")) local = CueTimeOf(field.substr(6));
        map = comma == std::string_view::npos ? std::string_view() : map.substr(comma + 1);
    }
    if (!ticks || !local) return {};
    return *ticks / kTicksPerMillisecond - *local;
}

// "START --> END SETTINGS", moved by `shift_ms`; empty when not a timing line.
std::string MovedTiming(std::string_view line, int64_t shift_ms) {
    const size_t arrow = line.find(kArrow);
    const std::string_view start = line.substr(0, line.find_last_not_of(" \t", arrow - 1) + 1);
    std::string_view after = line.substr(arrow + kArrow.size());
    after.remove_prefix(std::min(after.find_first_not_of(" \t"), after.size()));
    const size_t end_length = std::min(after.find_first_of(" \t"), after.size());
    const std::optional<int64_t> begins = CueTimeOf(start);
    const std::optional<int64_t> ends = CueTimeOf(after.substr(0, end_length));
    if (!begins || !ends) return {};
    return CueTimeText(*begins + shift_ms) + " --> " + CueTimeText(*ends + shift_ms) +
           std::string(after.substr(end_length));
}

struct Joined {
    std::string styles;
    std::string cues;
    std::set<std::string> seen;
};

// One block of a piece after its header: a cue, whose identifier is left
// out (identifiers of pieces may repeat), a style or region, or a comment.
void TakeBlock(std::string_view block, int64_t shift_ms, Joined& joined) {
    if (block.starts_with("NOTE")) return;
    if (block.starts_with("STYLE") || block.starts_with("REGION")) {
        if (joined.cues.empty()) joined.styles.append(block).append("\n\n");
        return;
    }
    size_t line_end = block.find('\n');
    std::string_view timing = block.substr(0, line_end);
    if (timing.find(kArrow) == std::string_view::npos && line_end != std::string_view::npos) {
        block.remove_prefix(line_end + 1);
        line_end = block.find('\n');
        timing = block.substr(0, line_end);
    }
    if (timing.find(kArrow) == std::string_view::npos) return;
    const std::string moved = MovedTiming(timing, shift_ms);
    if (moved.empty()) return;
    std::string cue = moved;
    if (line_end != std::string_view::npos) cue.append(block.substr(line_end));
    if (!joined.seen.insert(cue).second) return;
    joined.cues.append(cue).append("\n\n");
}

std::string WithPlainLineEnds(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            plain += text[i];
        } else if (i + 1 == text.size() || text[i + 1] != '\n') {
            plain += '\n';
        }
    }
    return plain;
}

} // namespace

Result<std::string> JoinWebVttPieces(const std::vector<std::string>& pieces) {
    Joined joined;
    std::optional<int64_t> first_offset;
    for (const std::string& piece : pieces) {
        std::string text = WithPlainLineEnds(piece);
        if (std::string_view(text).starts_with(kByteOrderMark))
            text.erase(0, kByteOrderMark.size());
        if (!text.starts_with("WEBVTT"))
            return Failure{Reason::kPlaylistUnreadable, 0, "a subtitle piece is not WebVTT"};
        size_t at = text.find("\n\n");
        const std::optional<int64_t> offset = OffsetOf(std::string_view(text).substr(0, at));
        if (offset && !first_offset) first_offset = offset;
        const int64_t shift_ms = offset ? *offset - *first_offset : 0;
        while (at != std::string::npos) {
            at = text.find_first_not_of('\n', at);
            if (at == std::string::npos) break;
            const size_t end = text.find("\n\n", at);
            std::string_view block = std::string_view(text).substr(at, end - at);
            while (block.ends_with('\n')) block.remove_suffix(1);
            TakeBlock(block, shift_ms, joined);
            at = end;
        }
    }
    if (joined.cues.empty())
        return Failure{Reason::kPlaylistUnreadable, 0, "the subtitle pieces hold no cue"};
    std::string file = "WEBVTT\n\n" + joined.styles + joined.cues;
    file.pop_back();
    return file;
}

} // namespace tarnwick::hls
