#include "resolve/page_reader.h"

#include "common/text.h"
#include "resolve/json_ld.h"
#include "resolve/page_findings.h"
#include "resolve/url_resolution.h"
#include "resolve/video_candidates.h"

#include <algorithm>
#include <utility>

namespace tarnwick::resolve {
namespace {

// A JSON-LD script's text is gathered up to this size; a longer one is skipped.
constexpr size_t kMaxJsonLdText = 1024 * 1024;

using Attributes = std::vector<platform::HtmlAttribute>;

const std::string* AttributeOf(const Attributes& attributes, std::string_view name) {
    for (const platform::HtmlAttribute& attribute : attributes) {
        if (attribute.name == name) return &attribute.value;
    }
    return nullptr;
}

std::string_view AttributeOr(const Attributes& attributes, std::string_view name) {
    const std::string* value = AttributeOf(attributes, name);
    return value == nullptr ? std::string_view() : std::string_view(*value);
}

VideoCandidate Written(std::string_view address, std::string_view declared_type = {}) {
    VideoCandidate video;
    video.address = address;
    video.type = MediaTypeOf(declared_type);
    return video;
}

// The picture height a <source> of several declares, as players write it:
// size="720", res="720", data-res="720", height="720" or label="720p".
std::optional<long> SourceHeight(const Attributes& attributes) {
    for (const char* name : {"size", "res", "data-res", "height", "label"}) {
        if (const std::string* written = AttributeOf(attributes, name)) {
            if (std::optional<long> height = SizeOf(*written)) return height;
        }
    }
    return std::nullopt;
}

// The most of a page's title that is kept.
constexpr size_t kMaxTitle = 1024;

// A title as one line: blanks and line breaks run together, none at the ends.
std::string OneLine(std::string_view text) {
    std::string line;
    bool blank = false;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
            blank = !line.empty();
            continue;
        }
        if (blank) line += ' ';
        blank = false;
        line += c;
    }
    return line;
}

// A <meta> of the Open Graph or Twitter video vocabulary, named by its
// property or, as some pages write it, by its name.
void ReadMeta(const Attributes& attributes, PageFindings& findings, std::string& og_title) {
    const std::string* content = AttributeOf(attributes, "content");
    if (content == nullptr) return;
    const std::string* key = AttributeOf(attributes, "property");
    if (key == nullptr) key = AttributeOf(attributes, "name");
    if (key == nullptr) return;
    const std::string property = text::ToLowerAscii(text::TrimSpaces(*key));
    if (property == "og:title") {
        if (og_title.empty()) og_title = content->substr(0, kMaxTitle);
    } else if (property == "og:video:secure_url") {
        findings.AddOpenGraphVideo(*content, OpenGraphAddress::kSecureUrl);
    } else if (property == "og:video:url") {
        findings.AddOpenGraphVideo(*content, OpenGraphAddress::kUrl);
    } else if (property == "og:video") {
        findings.AddOpenGraphVideo(*content, OpenGraphAddress::kVideo);
    } else if (property == "og:video:type") {
        findings.DeclareOpenGraph({.type = MediaTypeOf(*content)});
    } else if (property == "og:video:width") {
        findings.DeclareOpenGraph({.width = SizeOf(*content)});
    } else if (property == "og:video:height") {
        findings.DeclareOpenGraph({.height = SizeOf(*content)});
    } else if (property == "twitter:player:stream") {
        findings.AddVideo(Written(*content), VideoOrigin::kTwitter);
    } else if (property == "twitter:player:stream:content_type" && !findings.twitter.type) {
        findings.twitter.type = MediaTypeOf(*content);
    }
}

} // namespace

// Of the open elements the reader keeps no more than a count of <video>s and
// whether a JSON-LD script is open.
struct PageReader::State {
    explicit State(std::string page_address) : findings(std::move(page_address)) {}

    void OnJsonLdEnd();
    void AddTrack(const std::string& src, const Attributes& attributes);

    PageFindings findings;
    // The page's <title> and og:title, as far as they were read.
    std::string title;
    std::string og_title;
    bool in_title = false;
    bool title_read = false;
    int open_videos = 0;
    // The subtitle tracks of the videos, as written.
    std::vector<SubtitleOffer> tracks;
    bool in_json_ld = false;
    bool json_ld_too_long = false;
    std::string json_ld;
};

void PageReader::State::OnJsonLdEnd() {
    if (!json_ld_too_long) {
        for (VideoCandidate& video : VideoObjectsIn(json_ld, findings.RoomForVideos())) {
            findings.AddVideo(std::move(video));
        }
    }
    in_json_ld = false;
    json_ld_too_long = false;
    std::string().swap(json_ld);
}

// A track of subtitles or captions in a language; WebVTT unless its
// address says SRT.
void PageReader::State::AddTrack(const std::string& src, const Attributes& attributes) {
    constexpr size_t kMostTracks = 100;
    const std::string kind = text::ToLowerAscii(AttributeOr(attributes, "kind"));
    if (kind != "subtitles" && kind != "captions") return;
    const std::string language(AttributeOr(attributes, "srclang"));
    if (language.empty() || tracks.size() == kMostTracks) return;
    const std::string path = text::ToLowerAscii(src.substr(0, src.find_first_of("?#")));
    tracks.push_back({language, std::string(AttributeOr(attributes, "label")), src,
                      path.ends_with(".srt") ? "srt" : "vtt"});
}

PageReader::PageReader(std::string page_address)
    : state_(std::make_unique<State>(std::move(page_address))) {}

PageReader::~PageReader() = default;

void PageReader::OnStartElement(std::string_view name, const Attributes& attributes) {
    State& state = *state_;
    const std::string* src = AttributeOf(attributes, "src");
    if (name == "video") {
        ++state.open_videos;
        if (src != nullptr) state.findings.AddVideo(Written(*src));
    } else if (name == "source") {
        if (src != nullptr && state.open_videos > 0) {
            VideoCandidate video = Written(*src, AttributeOr(attributes, "type"));
            video.height = SourceHeight(attributes);
            state.findings.AddVideo(std::move(video));
        }
    } else if (name == "track") {
        if (src != nullptr && state.open_videos > 0) state.AddTrack(*src, attributes);
    } else if (name == "meta") {
        ReadMeta(attributes, state.findings, state.og_title);
    } else if (name == "title") {
        state.in_title = !state.title_read;
    } else if (name == "script") {
        state.in_json_ld = MediaTypeOf(AttributeOr(attributes, "type")) == "application/ld+json";
        state.json_ld.clear();
    } else if (name == "base") {
        if (const std::string* href = AttributeOf(attributes, "href"))
            state.findings.AddBase(*href);
    } else if (name == "a") {
        if (const std::string* href = AttributeOf(attributes, "href")) {
            state.findings.AddVideoLink(*href);
        }
    }
}

void PageReader::OnEndElement(std::string_view name) {
    State& state = *state_;
    if (name == "video" && state.open_videos > 0) --state.open_videos;
    if (name == "title" && state.in_title) {
        state.in_title = false;
        state.title_read = true;
    }
    if (name == "script" && state.in_json_ld) state.OnJsonLdEnd();
}

void PageReader::OnText(std::string_view text) {
    State& state = *state_;
    if (state.in_title) {
        state.title.append(text.substr(0, kMaxTitle - std::min(kMaxTitle, state.title.size())));
        return;
    }
    if (!state.in_json_ld || state.json_ld_too_long) return;
    if (state.json_ld.size() + text.size() > kMaxJsonLdText) {
        state.json_ld_too_long = true;
        std::string().swap(state.json_ld);
        return;
    }
    state.json_ld.append(text);
}

void PageReader::SetPageAddress(std::string address) {
    state_->findings.SetPageAddress(std::move(address));
}

PageVerdict PageReader::Verdict(int64_t max_height) const {
    PageVerdict verdict = VideoVerdict(max_height);
    for (SubtitleOffer track : state_->tracks) {
        std::optional<std::string> address =
            WebAddressIn(state_->findings.BaseAddress(), track.url);
        if (!address) continue;
        track.url = std::move(*address);
        verdict.subtitles.push_back(std::move(track));
    }
    return verdict;
}

PageVerdict PageReader::VideoVerdict(int64_t max_height) const {
    const std::string title = OneLine(state_->og_title.empty() ? state_->title : state_->og_title);
    const std::vector<VideoCandidate> candidates = state_->findings.Candidates();
    if (std::optional<VideoCandidate> chosen = ChooseVideo(candidates, max_height)) {
        return {chosen->address, std::nullopt, false, title};
    }
    // A link to a video file beats a player that only streams.
    if (std::optional<VideoCandidate> chosen =
            ChooseVideo(state_->findings.VideoLinks(), max_height)) {
        return {chosen->address, std::nullopt, false, title};
    }
    // Candidates that none was chosen from are manifests: an HLS playlist
    // is downloaded piece by piece, DASH is not.
    if (std::optional<VideoCandidate> playlist = FirstHlsPlaylist(candidates)) {
        return {playlist->address, std::nullopt, true, title};
    }
    if (!candidates.empty()) return {"", Reason::kStreamedVideo, false, title};
    return {"", Reason::kNoLinkInPage, false, title};
}

PageVerdict ReadPage(platform::HtmlParserFactory& parsers, const std::string& page_address,
                     std::string_view page) {
    PageReader reader(page_address);
    const std::unique_ptr<platform::HtmlParser> parser = parsers.NewParser(reader);
    parser->Feed(page.data(), page.size());
    // A reader that failed partway still tells what it found before.
    (void)parser->Finish();
    return reader.Verdict();
}

} // namespace tarnwick::resolve
