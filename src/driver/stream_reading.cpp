#include "driver/stream_reading.h"

#include "driver/stream_download.h"
#include "hls/master_playlist.h"
#include "resolve/url_resolution.h"

#include <utility>

namespace tarnwick::driver {
namespace {

constexpr int64_t kMostPlaylistBytes = 4 << 20;
constexpr size_t kMostSegments = 100000;
// A master playlist may name another, once.
constexpr int kMostMasters = 2;

// A master's subtitle renditions, each a playlist of WebVTT pieces, under
// its language, else its name.
std::vector<resolve::SubtitleOffer> SubtitlesOf(const hls::MasterPlaylist& master) {
    std::vector<resolve::SubtitleOffer> offers;
    for (const hls::Rendition& rendition : master.renditions) {
        if (rendition.type != hls::MediaType::kSubtitles || !rendition.uri ||
            !resolve::IsWebAddress(*rendition.uri))
            continue;
        resolve::SubtitleOffer offer;
        offer.key = rendition.language.empty() ? rendition.name : rendition.language;
        offer.label = rendition.name;
        offer.url = *rendition.uri;
        offer.ext = "vtt";
        offer.pieces = true;
        offers.push_back(std::move(offer));
    }
    return offers;
}

} // namespace

void StreamReading::Start(const std::string& address, bool can_join, DoneHandler on_done) {
    can_join_ = can_join;
    on_done_ = std::move(on_done);
    Read(address);
}

void StreamReading::Read(const std::string& address) {
    fetch_ = std::make_unique<transfer::Fetch>(requests_);
    fetch_->Start(
        {.url = address, .most_bytes = kMostPlaylistBytes, .retries = StreamDownload::kRetries},
        {nullptr, nullptr, [this](transfer::FetchEnd end) { OnPlaylist(std::move(end)); }});
}

void StreamReading::OnPlaylist(transfer::FetchEnd end) {
    fetch_.reset();
    if (!end.outcome.IsComplete()) return Finish(end.outcome.failure());
    if (hls::IsMasterPlaylist(end.body)) return OnMaster(end.body, end.answer.url);
    const Result<hls::MediaPlaylist> media = hls::ParseMediaPlaylist(end.body, end.answer.url);
    if (!media) return Finish(media.failure());
    if (Status downloadable = hls::CheckDownloadable(media.value()); !downloadable) {
        return Finish(downloadable.failure());
    }
    if (media.value().segments.size() > kMostSegments) {
        return Finish(Failure{Reason::kPlaylistUnreadable, 0, "it has too many pieces"});
    }
    OnMedia(media.value());
}

void StreamReading::OnMaster(const std::string& body, const std::string& address) {
    if (++masters_read_ > kMostMasters) {
        return Finish(
            Failure{Reason::kPlaylistUnreadable, 0, "its playlists name each other too deep"});
    }
    const Result<hls::MasterPlaylist> master = hls::ParseMasterPlaylist(body, address);
    if (!master) return Finish(master.failure());
    const Result<hls::StreamChoice> choice = sound_only_
                                                 ? hls::ChooseSoundStream(master.value())
                                                 : hls::ChooseStream(master.value(), max_height_);
    if (!choice) return Finish(choice.failure());
    const hls::StreamChoice& chosen = choice.value();
    if (chosen.IsAudioSeparate()) {
        if (!can_join_) return Finish(Failure{Reason::kSoundSeparate});
        sound_address_ = chosen.separate_audio->uri;
    }
    aac_ = chosen.variant.codecs.find("mp4a") != std::string::npos;
    offered_subtitles_ = SubtitlesOf(master.value());
    if (!resolve::IsWebAddress(chosen.variant.uri) ||
        (sound_address_ && !resolve::IsWebAddress(*sound_address_))) {
        return Finish(
            Failure{Reason::kPlaylistUnreadable, 0, "a stream's playlist is not at a web address"});
    }
    Read(chosen.variant.uri);
}

// The picture's playlist comes first; the sound's, when it comes apart, next.
void StreamReading::OnMedia(const hls::MediaPlaylist& playlist) {
    StreamSource source;
    source.pieces = PiecesOf(playlist);
    source.format = hls::FormatOf(playlist);
    NoteDurations(playlist, source.elapsed_ms);
    source.fingerprint = FingerprintOf(source.pieces);
    source.aac = aac_;
    if (sound_address_ && !picture_) {
        picture_ = std::move(source);
        return Read(*sound_address_);
    }
    Plan plan;
    plan.offered_subtitles = std::move(offered_subtitles_);
    plan.picture = picture_ ? std::move(*picture_) : std::move(source);
    if (picture_) plan.sound = std::move(source);
    const bool mp4 =
        plan.sound || std::get<StreamSource>(plan.picture).format == hls::SegmentFormat::kFmp4;
    plan.extension = mp4 ? ".mp4" : ".ts";
    Finish(std::move(plan));
}

void StreamReading::Finish(Result<Plan> plan) {
    fetch_.reset();
    const DoneHandler done = std::move(on_done_);
    done(std::move(plan));
}

} // namespace tarnwick::driver
