// What a resolver (a site's extractor, the general page reader, yt-dlp,
// the reading of a stream's playlists) ends in: the one or two sources the
// video comes from, how their requests go, and what the file is named by.
// One table (downloads.h) picks the download for a plan.
#pragma once

#include "hls/media_playlist.h"
#include "resolve/ytdlp_answer.h"
#include "transfer/fetch.h"
#include "transfer/probe.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tarnwick::driver {

// A request a resolver began whose answer is the file itself: the download
// goes on with it, never asking again.
struct OpenedFetch {
    std::unique_ptr<transfer::Fetch> fetch;
    transfer::FetchAnswer answer;
    // The body's bytes that came already.
    std::string start;
};

// A file at one address, of the size a resolver told where it did.
struct FileSource {
    std::string url;
    std::optional<int64_t> size = std::nullopt;
    std::shared_ptr<OpenedFetch> opened = nullptr;
};

// One piece of a stream: a resource, or bytes of one, encrypted or not.
struct StreamPiece {
    std::string uri;
    struct Range {
        int64_t offset = 0;
        int64_t length = 0;
        bool operator==(const Range&) const = default;
    };
    std::optional<Range> range = std::nullopt;
    // AES-128 with the key at `uri` and `iv`, when the piece is encrypted.
    struct Key {
        std::string uri;
        std::array<uint8_t, 16> iv{};
        bool operator==(const Key&) const = default;
    };
    std::optional<Key> key = std::nullopt;
    bool operator==(const StreamPiece&) const = default;
};

// The pieces of a stream, written one after another into one file.
struct StreamSource {
    std::vector<StreamPiece> pieces;
    hls::SegmentFormat format = hls::SegmentFormat::kMpegTs;
    // The playing time of the first n pieces, at [n].
    std::vector<int64_t> elapsed_ms;
    // Tells this list of pieces (their addresses and ranges) from another.
    uint64_t fingerprint = 0;
    // The sound is AAC in ADTS frames.
    bool aac = false;
};

using Source = std::variant<FileSource, StreamSource>;

struct Plan {
    // The address the file is named from: the video's, or its playlist's.
    std::string link;
    Source picture;
    // The sound, when it comes apart from the picture: the two are joined.
    std::optional<Source> sound = std::nullopt;
    // How the requests for the sources go, as the resolver said: a
    // User-Agent (empty: the item's own) and further "Name: value" lines.
    std::string user_agent = {};
    std::vector<std::string> headers = {};
    // What the file is named by: a title (a name as it stands), else the
    // link and what its answer told of the file; the extension it gets.
    std::string title = {};
    transfer::ProbeFindings findings = {};
    std::string extension = {};
    // What a pair is joined into, or a stream of MPEG-TS pieces made into:
    // "mp4" or "mkv"; where only the sound is kept, its form ("mp3").
    std::string container = "mp4";
    // Where only the sound is kept: what ffmpeg makes of the download.
    std::optional<resolve::SoundOutput> sound_only = std::nullopt;
    // The subtitles fetched once the video is whole, and whether they go
    // inside it rather than beside it.
    std::vector<resolve::ChosenSubtitle> subtitles = {};
    bool subtitles_inside = false;
    // The subtitles a stream's master playlist offers, for the item to
    // choose from; none when no master was read.
    std::optional<std::vector<resolve::SubtitleOffer>> offered_subtitles = std::nullopt;
    // What the complete item tells of itself (the subtitles it could not have).
    std::string note = {};
};

// The pieces of a media playlist in the order they are written: the first
// map (initialisation section), if any, then every segment.
std::vector<StreamPiece> PiecesOf(const hls::MediaPlaylist& playlist);
// FNV-1a over the pieces' addresses and ranges.
uint64_t FingerprintOf(const std::vector<StreamPiece>& pieces);
// Notes the playing time of the playlist's pieces after those noted before.
void NoteDurations(const hls::MediaPlaylist& playlist, std::vector<int64_t>& elapsed_ms);

} // namespace tarnwick::driver
