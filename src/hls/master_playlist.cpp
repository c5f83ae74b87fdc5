#include "hls/master_playlist.h"

#include "hls/hls_detection.h"
#include "hls/playlist_syntax.h"
#include "resolve/quality_preferences.h"
#include "resolve/url_resolution.h"

#include <map>
#include <utility>

namespace tarnwick::hls {
namespace {

constexpr std::string_view kStreamTag = "EXT-X-STREAM-INF";
constexpr std::string_view kMediaTag = "EXT-X-MEDIA";

MediaType MediaTypeOf(std::string_view type) {
    if (type == "AUDIO") return MediaType::kAudio;
    if (type == "VIDEO") return MediaType::kVideo;
    if (type == "SUBTITLES") return MediaType::kSubtitles;
    if (type == "CLOSED-CAPTIONS") return MediaType::kClosedCaptions;
    return MediaType::kOther;
}

// A variant from its tag's attributes; its URI comes on a later line.
Variant VariantFrom(const AttributeList& attributes) {
    Variant variant;
    variant.bandwidth = attributes.Integer("BANDWIDTH").value_or(0);
    if (const std::optional<Resolution> resolution = attributes.ResolutionValue("RESOLUTION")) {
        variant.height = resolution->height;
    }
    variant.codecs = attributes.Text("CODECS").value_or("");
    variant.audio_group = attributes.Text("AUDIO").value_or("");
    return variant;
}

Rendition RenditionFrom(const AttributeList& attributes, std::string_view address) {
    Rendition rendition;
    rendition.type = MediaTypeOf(attributes.Text("TYPE").value_or(""));
    rendition.group_id = attributes.Text("GROUP-ID").value_or("");
    rendition.name = attributes.Text("NAME").value_or("");
    rendition.language = attributes.Text("LANGUAGE").value_or("");
    rendition.is_default = attributes.IsYes("DEFAULT");
    rendition.autoselect = attributes.IsYes("AUTOSELECT");
    if (const std::optional<std::string> uri = attributes.Text("URI")) {
        rendition.uri = resolve::ResolveReference(address, *uri);
    }
    return rendition;
}

// The renditions of one sound group that may be preferred.
struct AudioGroup {
    const Rendition* first_default = nullptr;
    const Rendition* first_autoselect = nullptr;
    const Rendition* first_with_uri = nullptr;

    const Rendition* Preferred() const {
        if (first_default) return first_default;
        return first_autoselect ? first_autoselect : first_with_uri;
    }
};

using AudioGroups = std::map<std::string_view, AudioGroup>;

AudioGroups AudioGroupsOf(const MasterPlaylist& playlist) {
    AudioGroups groups;
    for (const Rendition& rendition : playlist.renditions) {
        if (rendition.type != MediaType::kAudio) continue;
        AudioGroup& group = groups[rendition.group_id];
        if (rendition.is_default && !group.first_default) group.first_default = &rendition;
        if (rendition.autoselect && !group.first_autoselect) group.first_autoselect = &rendition;
        if (rendition.uri && !group.first_with_uri) group.first_with_uri = &rendition;
    }
    return groups;
}

// The sound rendition a variant takes from elsewhere; none when its sound is
// inside it.
std::optional<Rendition> SeparateAudio(const AudioGroups& groups, const Variant& variant) {
    if (variant.audio_group.empty()) return std::nullopt;
    const auto group = groups.find(variant.audio_group);
    if (group == groups.end()) return std::nullopt;
    const Rendition* preferred = group->second.Preferred();
    if (!preferred || !preferred->uri) return std::nullopt;
    return *preferred;
}

bool IsHigher(const Variant& candidate, const Variant& best) {
    const uint64_t candidate_height = candidate.height.value_or(0);
    const uint64_t best_height = best.height.value_or(0);
    if (candidate_height != best_height) return candidate_height > best_height;
    return candidate.bandwidth > best.bandwidth;
}

// The highest variant of those whose sound is separate or not, as asked.
std::optional<StreamChoice> HighestVariant(const MasterPlaylist& playlist, bool audio_separate) {
    const AudioGroups groups = AudioGroupsOf(playlist);
    std::optional<StreamChoice> best;
    for (const Variant& variant : playlist.variants) {
        std::optional<Rendition> audio = SeparateAudio(groups, variant);
        if (audio.has_value() != audio_separate) continue;
        if (!best || IsHigher(variant, best->variant)) {
            best = StreamChoice{variant, std::move(audio)};
        }
    }
    return best;
}

bool IsSoundOnly(const Variant& variant) {
    if (variant.height || variant.codecs.empty()) return false;
    for (const char* picture : {"avc1", "avc3", "hvc1", "hev1", "av01", "vp09", "vp8", "mp4v"}) {
        if (variant.codecs.find(picture) != std::string::npos) return false;
    }
    return true;
}

} // namespace

bool IsMasterPlaylist(std::string_view text) {
    for (const PlaylistLine& line : PlaylistLines(text)) {
        if (line.kind == PlaylistLine::Kind::kTag && line.name == kStreamTag) return true;
    }
    return false;
}

Result<MasterPlaylist> ParseMasterPlaylist(std::string_view text, std::string_view address) {
    if (!IsHlsBody(text)) return Failure{Reason::kPlaylistUnreadable, 0, "not an HLS playlist"};
    MasterPlaylist playlist;
    std::optional<Variant> pending; // a variant waiting for its URI
    for (const PlaylistLine& line : PlaylistLines(text)) {
        if (line.kind == PlaylistLine::Kind::kUri) {
            if (pending) {
                pending->uri = resolve::ResolveReference(address, line.value);
                playlist.variants.push_back(std::move(*pending));
            }
            pending.reset();
            continue;
        }
        pending.reset();
        if (line.name == kStreamTag) pending = VariantFrom(AttributeList(line.value));
        if (line.name == kMediaTag) {
            playlist.renditions.push_back(RenditionFrom(AttributeList(line.value), address));
        }
    }
    return playlist;
}

Result<StreamChoice> ChooseStream(const MasterPlaylist& playlist, int64_t max_height) {
    std::vector<int64_t> heights;
    for (const Variant& variant : playlist.variants) {
        if (variant.height) heights.push_back(static_cast<int64_t>(*variant.height));
    }
    MasterPlaylist within = playlist;
    if (const std::optional<int64_t> limit = resolve::CappedHeight(heights, max_height)) {
        std::erase_if(within.variants, [&](const Variant& v) {
            return v.height && static_cast<int64_t>(*v.height) > *limit;
        });
    }
    if (std::optional<StreamChoice> muxed = HighestVariant(within, false)) return *muxed;
    if (std::optional<StreamChoice> separate = HighestVariant(within, true)) return *separate;
    return Failure{Reason::kPlaylistUnreadable, 0, "the playlist offers no stream"};
}

} // namespace tarnwick::hls

namespace tarnwick::hls {

Result<StreamChoice> ChooseSoundStream(const MasterPlaylist& playlist) {
    const Variant* sound = nullptr;
    for (const Variant& variant : playlist.variants) {
        if (IsSoundOnly(variant) && (sound == nullptr || variant.bandwidth > sound->bandwidth))
            sound = &variant;
    }
    if (sound != nullptr) return StreamChoice{*sound, std::nullopt};
    const AudioGroups groups = AudioGroupsOf(playlist);
    for (const Variant& variant : playlist.variants) {
        if (std::optional<Rendition> audio = SeparateAudio(groups, variant)) {
            Variant rendition = variant;
            rendition.uri = *audio->uri;
            rendition.height.reset();
            return StreamChoice{rendition, std::nullopt};
        }
    }
    const Variant* shortest = nullptr;
    for (const Variant& variant : playlist.variants) {
        if (shortest == nullptr || IsHigher(*shortest, variant)) shortest = &variant;
    }
    if (shortest == nullptr)
        return Failure{Reason::kPlaylistUnreadable, 0, "the playlist offers no stream"};
    return StreamChoice{*shortest, std::nullopt};
}

} // namespace tarnwick::hls
