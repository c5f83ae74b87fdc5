#include "resolve/ytdlp_answer.h"

#include "common/text.h"
#include "resolve/derived_name.h"
#include "resolve/file_naming.h"
#include "resolve/video_identity.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <tuple>

namespace tarnwick::resolve {
namespace {

using Json = nlohmann::json;

constexpr size_t kMaxErrorCharacters = 200;
constexpr std::chrono::days kOldAfter{90};
constexpr int kTallestHeight = 100000;
// Sizes beyond this are not believed (2^53: exact in a JSON number).
constexpr double kLargestSize = 9007199254740992.0;
constexpr size_t kMaxExtension = 5;

Failure Unusable(std::string detail) {
    return Failure{Reason::kNoLinkInPage, 0, std::move(detail)};
}

// ---- Reading the answer ----

const Json* Member(const Json& object, const char* key) {
    const auto member = object.find(key);
    return member == object.end() ? nullptr : &*member;
}

std::optional<std::string> OptionalText(const Json& object, const char* key) {
    const Json* member = Member(object, key);
    if (member == nullptr || !member->is_string()) return std::nullopt;
    return member->get<std::string>();
}

std::string Text(const Json& object, const char* key) {
    return OptionalText(object, key).value_or(std::string());
}

std::optional<double> Number(const Json& object, const char* key) {
    const Json* member = Member(object, key);
    if (member == nullptr || !member->is_number()) return std::nullopt;
    const double number = member->get<double>();
    if (!std::isfinite(number)) return std::nullopt;
    return number;
}

std::optional<int> Height(const Json& object) {
    const std::optional<double> height = Number(object, "height");
    if (!height || *height < 1 || *height > kTallestHeight) return std::nullopt;
    return static_cast<int>(*height);
}

std::optional<std::int64_t> Size(const Json& object, const char* key) {
    const std::optional<double> size = Number(object, key);
    if (!size || *size < 0 || *size > kLargestSize) return std::nullopt;
    return static_cast<std::int64_t>(*size);
}

// The members whose values are texts; nullopt when there is no such object.
std::optional<HeaderMap> Headers(const Json& object) {
    const Json* member = Member(object, "http_headers");
    if (member == nullptr || !member->is_object()) return std::nullopt;
    HeaderMap headers;
    for (const auto& [name, value] : member->items()) {
        if (value.is_string()) headers.emplace(name, value.get<std::string>());
    }
    return headers;
}

YtDlpFormat ReadFormat(const Json& object) {
    YtDlpFormat format;
    format.format_id = Text(object, "format_id");
    format.url = Text(object, "url");
    format.protocol = Text(object, "protocol");
    format.ext = Text(object, "ext");
    format.vcodec = OptionalText(object, "vcodec");
    format.acodec = OptionalText(object, "acodec");
    format.height = Height(object);
    format.tbr = Number(object, "tbr");
    format.abr = Number(object, "abr");
    format.filesize = Size(object, "filesize");
    format.filesize_approx = Size(object, "filesize_approx");
    format.http_headers = Headers(object);
    return format;
}

std::vector<YtDlpFormat> ReadFormats(const Json& answer) {
    std::vector<YtDlpFormat> formats;
    const Json* list = Member(answer, "formats");
    if (list == nullptr || !list->is_array()) return formats;
    for (const Json& format : *list) {
        if (format.is_object()) formats.push_back(ReadFormat(format));
    }
    return formats;
}

bool IsHttpUrl(std::string_view url) {
    return text::StartsWithIgnoreCase(url, "http://") ||
           text::StartsWithIgnoreCase(url, "https://");
}

// An entry's page address: its webpage_url, else its url, when http(s). An
// entry of a page that shows several videos names that page as its own: its
// url, the video's, is taken instead.
std::optional<std::string> EntryAddress(const Json& entry, const std::string& playlist_page) {
    if (!entry.is_object()) return std::nullopt;
    for (const char* key : {"webpage_url", "url"}) {
        std::optional<std::string> address = OptionalText(entry, key);
        if (address && IsHttpUrl(*address) && *address != playlist_page) return address;
    }
    return std::nullopt;
}

bool IsStandInTitle(const Json& answer, const std::string& title);

// Subtitles whose address is http(s) and whose form is SRT or WebVTT, as a
// file or as a stream's pieces.
void ReadSubtitles(const Json& answer, const char* member, bool automatic,
                   std::vector<SubtitleOffer>& offers) {
    const Json* languages = Member(answer, member);
    if (languages == nullptr || !languages->is_object()) return;
    for (const auto& [key, files] : languages->items()) {
        if (!files.is_array()) continue;
        for (const Json& file : files) {
            if (!file.is_object()) continue;
            SubtitleOffer offer{key, Text(file, "name"), Text(file, "url"), Text(file, "ext"),
                                automatic};
            if (!IsHttpUrl(offer.url) || (offer.ext != "srt" && offer.ext != "vtt")) continue;
            offer.pieces = Text(file, "protocol").starts_with("m3u8");
            if (offer.pieces && offer.ext != "vtt") continue;
            // A site's machine translation names the language it was made into.
            offer.translated = automatic && (offer.url.find("&tlang=") != std::string::npos ||
                                             offer.url.find("?tlang=") != std::string::npos);
            offers.push_back(std::move(offer));
        }
    }
}

// A video's identity by its extractor, as yt-dlp's archive writes it; a
// playlist's flat entries name theirs as "ie_key".
std::string IdentityOf(const Json& video) {
    std::string extractor = Text(video, "extractor_key");
    if (extractor.empty()) extractor = Text(video, "ie_key");
    return YtDlpIdentity(extractor, Text(video, "id"));
}

void ReadEntries(const Json& answer, YtDlpAnswer& read) {
    const Json* list = Member(answer, "entries");
    if (list == nullptr || !list->is_array()) return;
    const std::string page = Text(answer, "webpage_url");
    for (const Json& entry : *list) {
        if (read.entries.size() == kMaxPlaylistEntries) break;
        if (std::optional<std::string> address = EntryAddress(entry, page)) {
            read.entries.push_back(std::move(*address));
            std::string title = Text(entry, "title");
            if (IsStandInTitle(entry, title)) title.clear();
            read.entry_titles.push_back(std::move(title));
            read.entry_identities.push_back(IdentityOf(entry));
        }
    }
}

// ---- Choosing ----

enum class Streams { kCombined, kVideoOnly, kAudioOnly, kNeither };

bool IsNone(const std::optional<std::string>& codec) { return codec && *codec == "none"; }
bool IsNamed(const std::optional<std::string>& codec) {
    return codec && !codec->empty() && *codec != "none";
}

Streams StreamsOf(const YtDlpFormat& format) {
    const bool no_video = IsNone(format.vcodec);
    const bool no_audio = IsNone(format.acodec);
    if (no_video && no_audio) return Streams::kNeither;
    if (no_video) return Streams::kAudioOnly;
    if (no_audio) return Streams::kVideoOnly;
    return Streams::kCombined;
}

std::optional<PartKind> KindOf(const YtDlpFormat& format) {
    if (!IsHttpUrl(format.url)) return std::nullopt;
    const std::string& protocol = format.protocol;
    if (protocol == "http" || protocol == "https") return PartKind::kFile;
    if (protocol == "m3u8" || protocol == "m3u8_native") return PartKind::kHls;
    if (!protocol.empty()) return std::nullopt;
    const std::string path =
        text::ToLowerAscii(format.url.substr(0, format.url.find_first_of("?#")));
    return path.ends_with(".m3u8") ? PartKind::kHls : PartKind::kFile;
}

struct Candidate {
    const YtDlpFormat* format;
    PartKind kind;
    Streams streams;
};

std::vector<Candidate> Candidates(const YtDlpAnswer& answer) {
    std::vector<Candidate> candidates;
    const auto add = [&](const YtDlpFormat& format) {
        const std::optional<PartKind> kind = KindOf(format);
        const Streams streams = StreamsOf(format);
        if (kind && streams != Streams::kNeither) candidates.push_back({&format, *kind, streams});
    };
    if (answer.formats.empty()) add(answer.own);
    for (const YtDlpFormat& format : answer.formats) add(format);
    return candidates;
}

// The first dot-separated part of a codec, in small letters ("avc1.64001F": "avc1").
std::string CodecFamily(const std::string& codec) {
    return text::ToLowerAscii(std::string_view(codec).substr(0, codec.find('.')));
}

bool VideoFitsMp4(const YtDlpFormat& format) {
    if (!IsNamed(format.vcodec)) return format.ext == "mp4";
    constexpr std::array<std::string_view, 8> kMp4Video = {"avc1", "avc3", "h264", "hev1",
                                                           "hvc1", "hevc", "h265", "av01"};
    const std::string family = CodecFamily(*format.vcodec);
    return std::find(kMp4Video.begin(), kMp4Video.end(), family) != kMp4Video.end();
}

bool AudioFitsMp4(const YtDlpFormat& format) {
    if (!IsNamed(format.acodec)) return format.ext == "m4a" || format.ext == "mp4";
    const std::string family = CodecFamily(*format.acodec);
    return family == "mp4a" || family == "aac";
}

int ContainerRank(const YtDlpFormat& format) {
    if (format.ext == "mp4") return 2;
    return format.ext == "webm" ? 1 : 0;
}

int HeightOf(const Candidate& c) { return c.format->height.value_or(0); }
double TbrOf(const Candidate& c) { return c.format->tbr.value_or(0); }
int IsDirect(const Candidate& c) { return c.kind == PartKind::kFile ? 1 : 0; }

auto CombinedRank(const Candidate& c, bool containers_count) {
    const int both_named = IsNamed(c.format->vcodec) && IsNamed(c.format->acodec) ? 1 : 0;
    return std::make_tuple(both_named, containers_count ? ContainerRank(*c.format) : 0, HeightOf(c),
                           IsDirect(c), TbrOf(c));
}

// Leaves out the pictures taller than the preferences let through; sound
// alone, and pictures of no known height, stay.
void KeepWithinCap(std::vector<Candidate>& candidates, int64_t max_height) {
    std::vector<int64_t> heights;
    for (const Candidate& c : candidates) {
        if (c.streams != Streams::kAudioOnly && c.format->height)
            heights.push_back(*c.format->height);
    }
    const std::optional<int64_t> limit = CappedHeight(heights, max_height);
    if (!limit) return;
    std::erase_if(candidates, [&](const Candidate& c) {
        return c.streams != Streams::kAudioOnly && c.format->height && *c.format->height > *limit;
    });
}

auto VideoRank(const Candidate& c) {
    return std::make_tuple(HeightOf(c), ContainerRank(*c.format), IsDirect(c), TbrOf(c));
}

// The best candidate with the given streams; on equal rank, the later one
// (yt-dlp lists the better formats last).
template <typename RankOf>
const Candidate* Best(const std::vector<Candidate>& candidates, Streams streams, RankOf rank_of) {
    const Candidate* best = nullptr;
    for (const Candidate& candidate : candidates) {
        if (candidate.streams != streams) continue;
        if (best == nullptr || rank_of(candidate) >= rank_of(*best)) best = &candidate;
    }
    return best;
}

// Sound that joins into the same container as the video goes first.
const Candidate* BestAudio(const std::vector<Candidate>& candidates, const Candidate* video) {
    const bool mp4_video = video != nullptr && VideoFitsMp4(*video->format);
    return Best(candidates, Streams::kAudioOnly, [&](const Candidate& c) {
        return std::make_tuple(AudioFitsMp4(*c.format) == mp4_video ? 1 : 0, TbrOf(c), IsDirect(c));
    });
}

// An extension of up to five letters and digits; else none.
std::string SafeExtension(const std::string& ext) {
    const bool safe =
        !ext.empty() && ext.size() <= kMaxExtension &&
        std::all_of(ext.begin(), ext.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        });
    return safe ? ext : std::string();
}

DownloadPart PartOf(const Candidate& candidate, const YtDlpAnswer& answer) {
    const YtDlpFormat& format = *candidate.format;
    DownloadPart part;
    part.url = format.url;
    part.headers = format.http_headers.value_or(answer.own.http_headers.value_or(HeaderMap()));
    part.kind = candidate.kind;
    part.ext = SafeExtension(format.ext);
    part.format_id = format.format_id;
    part.size = format.filesize ? format.filesize : format.filesize_approx;
    return part;
}

// The title as a file name with the extension, cut on a character boundary
// so that the extension stays; a title that leaves nothing is "Enter File Name".
std::string FileName(const std::string& title, const std::string& ext) {
    std::string stem = CleanFileName(title);
    stem.erase(0, stem.find_first_not_of(". "));
    if (stem.empty()) stem = kEnterFileName;
    const std::string extension = DotExtension(ext);
    std::string_view cut = CutAtCharacter(stem, kMaxFileName - extension.size());
    while (!cut.empty() && (cut.back() == ' ' || cut.back() == '.')) cut.remove_suffix(1);
    return std::string(cut) + extension;
}

YtDlpChoice Single(const Candidate& format, const YtDlpAnswer& answer) {
    YtDlpChoice choice;
    choice.video = PartOf(format, answer);
    choice.file_name = FileName(answer.title, choice.video.ext);
    return choice;
}

YtDlpChoice Pair(const Candidate& video, const Candidate& audio, const YtDlpAnswer& answer,
                 PreferredContainer container) {
    YtDlpChoice choice;
    choice.video = PartOf(video, answer);
    choice.audio = PartOf(audio, answer);
    const bool mp4 = container != PreferredContainer::kMkv && VideoFitsMp4(*video.format) &&
                     AudioFitsMp4(*audio.format);
    choice.join_container = mp4 ? "mp4" : "mkv";
    choice.file_name = FileName(answer.title, choice.join_container);
    return choice;
}

// ---- Texts ----

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The text up to its `count`th character.
std::string_view FirstCharacters(std::string_view text, size_t count) {
    size_t seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsContinuationByte(text[i]) && seen++ == count) return text.substr(0, i);
    }
    return text;
}

std::string_view TrimBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    text.remove_prefix(std::min(text.find_first_not_of(kBlanks), text.size()));
    return text.substr(0, text.find_last_not_of(kBlanks) + 1);
}

// A number of `min_digits` to `max_digits` decimal digits, nothing else.
std::optional<unsigned> Digits(std::string_view text, size_t min_digits, size_t max_digits) {
    if (text.size() < min_digits || text.size() > max_digits) return std::nullopt;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The title yt-dlp makes up where a page gave none: "<extractor> video #<id>",
// the extractor's colons as dashes.
bool IsStandInTitle(const Json& answer, const std::string& title) {
    std::string extractor = Text(answer, "extractor");
    std::replace(extractor.begin(), extractor.end(), ':', '-');
    return !extractor.empty() && title == extractor + " video #" + Text(answer, "id");
}

Result<YtDlpChoice> ChooseVideo(const YtDlpAnswer& answer, bool can_join,
                                const QualityPreferences& preferences);
Result<YtDlpChoice> ChooseSound(const YtDlpAnswer& answer, bool can_convert, SoundOnly kept_as);

} // namespace

Result<YtDlpAnswer> ReadYtDlpAnswer(std::string_view json) {
    const Json answer = Json::parse(json, nullptr, /*allow_exceptions=*/false);
    if (answer.is_discarded() || !answer.is_object()) {
        return Unusable("yt-dlp's answer could not be read");
    }
    YtDlpAnswer read;
    read.is_playlist = Text(answer, "_type") == "playlist";
    const auto live = answer.find("is_live");
    read.is_live = live != answer.end() && live->is_boolean() && live->get<bool>();
    read.title = Text(answer, "title");
    if (IsStandInTitle(answer, read.title)) read.title.clear();
    read.identity = IdentityOf(answer);
    if (read.is_playlist) {
        ReadEntries(answer, read);
    } else {
        read.own = ReadFormat(answer);
        read.formats = ReadFormats(answer);
        read.uploader = Text(answer, "uploader");
        if (const std::optional<double> seconds = Number(answer, "duration");
            seconds && *seconds > 0 && *seconds < 1e9) {
            read.duration_ms = static_cast<int64_t>(*seconds * 1000);
        }
        ReadSubtitles(answer, "subtitles", false, read.subtitles);
        ReadSubtitles(answer, "automatic_captions", true, read.subtitles);
    }
    return read;
}

Result<YtDlpChoice> ChooseDownload(const YtDlpAnswer& answer, bool can_join,
                                   const QualityPreferences& preferences) {
    if (answer.is_playlist) return Unusable("yt-dlp answered a playlist, not a video");
    if (answer.is_live) return Failure{Reason::kLiveStream};
    Result<YtDlpChoice> choice = preferences.sound_only == SoundOnly::kOff
                                     ? ChooseVideo(answer, can_join, preferences)
                                     : ChooseSound(answer, can_join, preferences.sound_only);
    if (choice) {
        choice.value().subtitles = ChooseSubtitles(answer.subtitles, preferences);
        choice.value().identity = answer.identity;
    }
    return choice;
}

namespace {

Result<YtDlpChoice> ChooseVideo(const YtDlpAnswer& answer, bool can_join,
                                const QualityPreferences& preferences) {
    std::vector<Candidate> candidates = Candidates(answer);
    KeepWithinCap(candidates, preferences.max_height);
    const bool containers_count = preferences.container != PreferredContainer::kBest;
    const Candidate* combined = Best(candidates, Streams::kCombined, [&](const Candidate& c) {
        return CombinedRank(c, containers_count);
    });
    const Candidate* video = Best(candidates, Streams::kVideoOnly, VideoRank);
    const Candidate* audio = BestAudio(candidates, video);
    const bool pair = video != nullptr && audio != nullptr;
    if (combined != nullptr) {
        const bool pair_is_taller = pair && HeightOf(*video) > HeightOf(*combined);
        if (!(can_join && pair_is_taller)) return Single(*combined, answer);
    }
    if (pair) {
        if (!can_join) return Failure{Reason::kSoundSeparate};
        return Pair(*video, *audio, answer, preferences.container);
    }
    const Candidate* alone = video != nullptr ? video : audio;
    if (alone != nullptr) return Single(*alone, answer);
    return Unusable("yt-dlp offered no download over HTTP or HLS");
}

// Whether the format's sound goes into a file of `kept_as` unchanged.
bool SoundFits(const YtDlpFormat& format, SoundOnly kept_as) {
    const std::string family = IsNamed(format.acodec) ? CodecFamily(*format.acodec) : "";
    switch (kept_as) {
        case SoundOnly::kOff: break;
        case SoundOnly::kM4a: return AudioFitsMp4(format);
        case SoundOnly::kMp3: return family == "mp3" || (family.empty() && format.ext == "mp3");
        case SoundOnly::kOpus: return family == "opus";
    }
    return false;
}

double SoundRateOf(const Candidate& c, bool alone) {
    if (c.format->abr) return *c.format->abr;
    return alone ? TbrOf(c) : 0;
}

Result<YtDlpChoice> ChooseSound(const YtDlpAnswer& answer, bool can_convert, SoundOnly kept_as) {
    const std::vector<Candidate> candidates = Candidates(answer);
    const Candidate* alone = Best(candidates, Streams::kAudioOnly, [&](const Candidate& c) {
        return std::make_tuple(SoundFits(*c.format, kept_as) ? 1 : 0, SoundRateOf(c, true),
                               IsDirect(c));
    });
    // Where sound comes only with a picture, the smallest picture of the best sound.
    const Candidate* source =
        alone != nullptr ? alone : Best(candidates, Streams::kCombined, [&](const Candidate& c) {
            return std::make_tuple(SoundFits(*c.format, kept_as) ? 1 : 0, SoundRateOf(c, false),
                                   -HeightOf(c), IsDirect(c));
        });
    if (source == nullptr) return Unusable("yt-dlp offered no sound over HTTP or HLS");
    SoundOutput sound;
    sound.kept_as = kept_as;
    sound.copy = SoundFits(*source->format, kept_as);
    sound.source_kbps = static_cast<int>(SoundRateOf(*source, alone != nullptr));
    sound.from_video = alone == nullptr;
    sound.title = answer.title;
    sound.artist = answer.uploader;
    sound.playing_ms = answer.duration_ms;
    // An AAC file is an M4A as it comes; everything else is made by ffmpeg.
    const bool as_it_comes = kept_as == SoundOnly::kM4a && sound.copy && !sound.from_video &&
                             source->kind == PartKind::kFile;
    if (!can_convert && !as_it_comes) {
        return Failure{Reason::kNeedsFfmpeg, 0, "Sound only as " + SoundName(kept_as)};
    }
    YtDlpChoice choice = Single(*source, answer);
    choice.file_name = FileName(answer.title, SoundExtension(kept_as));
    choice.sound = sound;
    return choice;
}

} // namespace

std::string YtDlpErrorText(std::string_view stderr_text) {
    constexpr std::string_view kPrefix = "ERROR:";
    std::optional<std::string_view> last;
    for (size_t start = 0; start <= stderr_text.size();) {
        const size_t end = std::min(stderr_text.find('\n', start), stderr_text.size());
        const std::string_view line = stderr_text.substr(start, end - start);
        if (line.starts_with(kPrefix)) last = line.substr(kPrefix.size());
        start = end + 1;
    }
    if (!last) return {};
    return std::string(FirstCharacters(TrimBlanks(*last), kMaxErrorCharacters));
}

std::optional<std::chrono::sys_days> YtDlpVersionDate(std::string_view version_output) {
    std::string_view version = TrimBlanks(version_output);
    std::array<std::string_view, 4> fields;
    size_t count = 0;
    for (; count < fields.size() && !version.empty(); ++count) {
        const size_t dot = std::min(version.find('.'), version.size());
        fields[count] = version.substr(0, dot);
        version.remove_prefix(std::min(dot + 1, version.size()));
    }
    if (!version.empty() || count < 3) return std::nullopt;
    if (count == 4 && !Digits(fields[3], 1, 9)) return std::nullopt;
    const std::optional<unsigned> year = Digits(fields[0], 4, 4);
    const std::optional<unsigned> month = Digits(fields[1], 1, 2);
    const std::optional<unsigned> day = Digits(fields[2], 1, 2);
    if (!year || !month || !day) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(static_cast<int>(*year)),
                                           std::chrono::month(*month), std::chrono::day(*day)};
    if (!date.ok()) return std::nullopt;
    return std::chrono::sys_days(date);
}

bool IsOld(std::chrono::sys_days version, std::chrono::sys_days today) {
    return today - version > kOldAfter;
}

std::string DotExtension(const std::string& ext) { return ext.empty() ? std::string() : "." + ext; }

std::vector<std::string> HeaderLines(const HeaderMap& headers) {
    const auto breaks_line = [](std::string_view text) {
        return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
    };
    std::vector<std::string> lines;
    for (const auto& [name, value] : headers) {
        if (name.empty() || name.find(':') != std::string::npos) continue;
        if (breaks_line(name) || breaks_line(value)) continue;
        lines.push_back(name + ": " + value);
    }
    return lines;
}

std::string TitleOf(const YtDlpChoice& choice) {
    const std::string& name = choice.file_name;
    const std::string ext = choice.sound   ? SoundExtension(choice.sound->kept_as)
                            : choice.audio ? choice.join_container
                                           : choice.video.ext;
    if (ext.empty() || !name.ends_with("." + ext)) return name;
    return name.substr(0, name.size() - ext.size() - 1);
}

} // namespace tarnwick::resolve
