// Reading the JSON that yt-dlp answers for a page ("-J"), and choosing from
// it what to download: one file or HLS playlist, or a video and a sound part
// to be joined. Text in, values out; running yt-dlp is done elsewhere.
#pragma once

#include "common/result.h"
#include "resolve/quality_preferences.h"
#include "resolve/subtitle_choice.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::resolve {

using HeaderMap = std::map<std::string, std::string>;

// Playlists are read up to this many entries.
inline constexpr size_t kMaxPlaylistEntries = 1000;

// One way to have the video, as yt-dlp lists it. Texts that were absent (or
// not texts) are empty; a codec is nullopt when absent, "none" when yt-dlp
// says the format has no such stream.
struct YtDlpFormat {
    std::string format_id;
    std::string url;
    std::string protocol;
    std::string ext;
    std::optional<std::string> vcodec;
    std::optional<std::string> acodec;
    std::optional<int> height;
    std::optional<double> tbr;
    // The sound's own bitrate, in kbit/s.
    std::optional<double> abr;
    std::optional<std::int64_t> filesize;
    std::optional<std::int64_t> filesize_approx;
    // nullopt when the format names no headers of its own.
    std::optional<HeaderMap> http_headers;
};

struct YtDlpAnswer {
    bool is_playlist = false;
    // yt-dlp's `is_live`: a stream that is being broadcast, never taken.
    bool is_live = false;
    // Empty where the page gave none (and yt-dlp made one up).
    std::string title;
    // The answer's own url, protocol, ext and http_headers.
    YtDlpFormat own;
    std::vector<YtDlpFormat> formats;
    // A playlist's entries: their http(s) page addresses, in order, and
    // each one's title (empty where it gave none).
    std::vector<std::string> entries;
    std::vector<std::string> entry_titles;
    // Each entry's identity (VideoIdentity's YtDlpIdentity); empty where it
    // gave no extractor or id.
    std::vector<std::string> entry_identities;
    // The video's own identity; empty where yt-dlp gave no extractor or id.
    std::string identity;
    // Who put the video up; empty where yt-dlp did not say.
    std::string uploader;
    // How long it plays, where yt-dlp said.
    std::optional<int64_t> duration_ms;
    // The subtitles in SRT or WebVTT over http(s): the creator's
    // (`subtitles`), then the site's automatic ones (`automatic_captions`).
    std::vector<SubtitleOffer> subtitles;
};

// Fails with kNoLinkInPage when the text is no JSON object. Members of the
// wrong type count as absent.
Result<YtDlpAnswer> ReadYtDlpAnswer(std::string_view json);

enum class PartKind { kFile, kHls };

struct DownloadPart {
    std::string url;
    HeaderMap headers;
    PartKind kind = PartKind::kFile;
    std::string ext;
    std::string format_id;
    // filesize, else filesize_approx, where known.
    std::optional<std::int64_t> size;

    bool operator==(const DownloadPart&) const = default;
};

// The sound alone, made of the chosen format.
struct SoundOutput {
    SoundOnly kept_as = SoundOnly::kM4a;
    // The source's sound goes into the file as it is, never encoded again.
    bool copy = false;
    // The source's sound bitrate in kbit/s, where known; an encoding never
    // goes above it.
    int source_kbps = 0;
    // The source is a video whose sound is taken out of it.
    bool from_video = false;
    // The tags the file gets: the video's title, and who put it up.
    std::string title;
    std::string artist;
    // How long the source plays, where known: what ffmpeg made must play as long.
    std::optional<int64_t> playing_ms;

    bool operator==(const SoundOutput&) const = default;
};

struct YtDlpChoice {
    // The combined format, or the video part of a pair.
    DownloadPart video;
    // The sound part when video and sound come separately and are to be joined.
    std::optional<DownloadPart> audio;
    // "mp4" or "mkv" for a pair: what the parts are joined into; else empty.
    std::string join_container;
    // The title with the chosen extension, fit for a file name.
    std::string file_name;
    // Where only the sound is kept: how it is made of `video`.
    std::optional<SoundOutput> sound;
    // The subtitles that go with it, and the languages asked for but missing.
    SubtitleChoice subtitles;
    // Which video it is, as the history knows it; empty when not known.
    std::string identity;

    bool operator==(const YtDlpChoice&) const = default;
};

// The best download the answer offers. Taken are formats whose url is
// http(s) and whose protocol is http/https (a file) or m3u8/m3u8_native
// (HLS); without a protocol, a url whose path ends in ".m3u8" is HLS, any
// other a file. A format is combined unless a codec is "none"; one that names
// both codecs ranks above one with a codec unknown. Combined formats rank by
// container (mp4, webm, others), then height; at equal height a direct file
// beats HLS (it resumes better), then tbr decides, then the later one listed.
// With `can_join`, the best video-only and audio-only pair is chosen over a
// combined format of lower height (or none); without it, only separate
// formats fail with kSoundSeparate. Video-only formats rank by height first;
// audio-only ones by fitting the video's container, then tbr. A pair joins
// into mp4 when its codecs fit it (H.264, HEVC or AV1 with AAC), else mkv.
// A lone video-only or audio-only format is taken when nothing pairs it. With no usable format at
// all, or a playlist, the choice fails with kNoLinkInPage.
//
// The user's preferences come first: formats of a picture taller than the
// cap lets through (quality_preferences.h) are left out; with kBest the
// container does not rank combined formats, and with kMkv pairs join into
// MKV whatever their codecs.
//
// Sound only takes the best sound-only format, one whose codec goes into the
// file unchanged first (AAC for M4A, Opus for Opus, MP3 for MP3), then by
// bitrate; where the page has none, the combined format of the best sound
// (and of the smallest picture), to take the sound out of. Without
// `can_join` (no ffmpeg), only a direct AAC file is taken, as M4A; anything
// else fails with kNeedsFfmpeg. The subtitles are chosen by
// ChooseSubtitles.
Result<YtDlpChoice> ChooseDownload(const YtDlpAnswer& answer, bool can_join,
                                   const QualityPreferences& preferences = {});

// The chosen file's name without its extension: the title it is named by.
std::string TitleOf(const YtDlpChoice& choice);

// The last line of yt-dlp's error output that starts with "ERROR:", without
// that prefix and surrounding blanks, cut to 200 characters; empty when none.
std::string YtDlpErrorText(std::string_view stderr_text);

// The release date in yt-dlp's version ("2023.03.04", nightly
// "2024.12.13.232011"); nullopt when the output is no such version.
std::optional<std::chrono::sys_days> YtDlpVersionDate(std::string_view version_output);

// Whether a release of `version` is more than 90 days older than `today`.
bool IsOld(std::chrono::sys_days version, std::chrono::sys_days today);

// ".ext", or nothing for no extension.
std::string DotExtension(const std::string& ext);

// "Name: value" request lines. A header whose name is empty or holds a colon,
// or whose name or value holds CR, LF or NUL, is dropped.
std::vector<std::string> HeaderLines(const HeaderMap& headers);

} // namespace tarnwick::resolve
