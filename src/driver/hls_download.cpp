#include "driver/hls_download.h"

#include "hls/master_playlist.h"
#include "resolve/url_resolution.h"
#include "transfer/file_system.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <utility>

namespace tarnwick::driver {
namespace {

constexpr int64_t kMostPlaylistBytes = 4 << 20;
constexpr size_t kMostSegments = 100000;
// A master playlist may name another, once.
constexpr int kMostMasters = 2;

std::optional<transfer::PieceRequest::Range> RangeOf(const std::optional<hls::ByteRange>& range) {
    if (!range) return std::nullopt;
    return transfer::PieceRequest::Range{static_cast<int64_t>(range->offset),
                                         static_cast<int64_t>(range->length)};
}

std::optional<StreamPiece::Key> KeyOf(const hls::SegmentKey& key, const hls::Iv& iv) {
    if (key.method != hls::KeyMethod::kAes128 || !key.uri) return std::nullopt;
    return StreamPiece::Key{*key.uri, iv};
}

// FNV-1a over the pieces' addresses and ranges.
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

// A temporary file of ours at the first free path `path` chooses; a full
// disk says so.
Status CreateFirstFree(transfer::DownloadFile& file, const HlsDownload::PathChooser& path) {
    Status created = file.CreateFirstFree(path);
    if (created) return created;
    Failure failure = created.failure();
    if (failure.system == std::errc::no_space_on_device) failure.reason = Reason::kDiskFull;
    return failure;
}

} // namespace

std::string StreamMark(const StreamProgress& progress) {
    char fingerprint[17];
    std::snprintf(fingerprint, sizeof fingerprint, "%016llx",
                  static_cast<unsigned long long>(progress.fingerprint));
    return "hls:" + std::to_string(progress.written) + "/" + std::to_string(progress.total) + "/" +
           fingerprint;
}

std::optional<StreamProgress> ReadStreamMark(std::string_view mark) {
    constexpr std::string_view kPrefix = "hls:";
    if (!mark.starts_with(kPrefix)) return std::nullopt;
    mark.remove_prefix(kPrefix.size());
    auto number = [&mark](char end, int base) -> std::optional<uint64_t> {
        const size_t stop = std::min(mark.find(end), mark.size());
        uint64_t value = 0;
        const auto [last, error] = std::from_chars(mark.data(), mark.data() + stop, value, base);
        if (error != std::errc() || last != mark.data() + stop || stop == 0) return std::nullopt;
        mark.remove_prefix(std::min(stop + 1, mark.size()));
        return value;
    };
    const std::optional<uint64_t> written = number('/', 10);
    const std::optional<uint64_t> total = number('/', 10);
    const std::optional<uint64_t> fingerprint = number('\0', 16);
    if (!written || !total || !fingerprint || *written > *total) return std::nullopt;
    return StreamProgress{*written, *total, *fingerprint};
}

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

HlsDownload::HlsDownload(const PieceRequests& requests, const platform::PieceCipher* cipher,
                         platform::BackgroundWork& background)
    : requests_(requests), cipher_(cipher), background_(background) {}

HlsDownload::~HlsDownload() = default;

void HlsDownload::Start(const std::string& address, bool can_join, ReadyHandler on_ready,
                        DoneHandler on_done) {
    can_join_ = can_join;
    on_ready_ = std::move(on_ready);
    on_done_ = std::move(on_done);
    ReadPlaylist(address);
}

void HlsDownload::ReadPlaylist(const std::string& address) {
    playlist_fetch_ = std::make_unique<RetriedFetch>(requests_);
    transfer::PieceRequest request{address};
    request.limit = kMostPlaylistBytes;
    playlist_fetch_->Start(std::move(request), [this](transfer::PieceFetch::Result result) {
        OnPlaylist(std::move(result));
    });
}

void HlsDownload::OnPlaylist(transfer::PieceFetch::Result result) {
    playlist_fetch_.reset();
    if (!result.outcome.IsComplete()) return Finish(result.outcome);
    if (hls::IsMasterPlaylist(result.body)) {
        if (++masters_read_ > kMostMasters) {
            return Finish(Outcome::Failed(Reason::kPlaylistUnreadable,
                                          "its playlists name each other too deep"));
        }
        const Result<hls::MasterPlaylist> master =
            hls::ParseMasterPlaylist(result.body, result.url);
        if (!master) return Finish(Outcome::Failed(master.failure()));
        const Result<hls::StreamChoice> choice = hls::ChooseStream(master.value());
        if (!choice) return Finish(Outcome::Failed(choice.failure()));
        const hls::StreamChoice& chosen = choice.value();
        if (chosen.IsAudioSeparate()) {
            if (!can_join_) return Finish(Outcome::Failed(Reason::kSoundSeparate));
            sound_address_ = chosen.separate_audio->uri;
        }
        aac_ = chosen.variant.codecs.find("mp4a") != std::string::npos;
        if (!resolve::IsWebAddress(chosen.variant.uri) ||
            (sound_address_ && !resolve::IsWebAddress(*sound_address_))) {
            return Finish(Outcome::Failed(Reason::kPlaylistUnreadable,
                                          "a stream's playlist is not at a web address"));
        }
        return ReadPlaylist(chosen.variant.uri);
    }
    const Result<hls::MediaPlaylist> media = hls::ParseMediaPlaylist(result.body, result.url);
    if (!media) return Finish(Outcome::Failed(media.failure()));
    if (Status downloadable = hls::CheckDownloadable(media.value()); !downloadable) {
        return Finish(Outcome::Failed(downloadable.failure()));
    }
    if (media.value().segments.size() > kMostSegments) {
        return Finish(Outcome::Failed(Reason::kPlaylistUnreadable, "it has too many pieces"));
    }
    if (sound_address_ && pieces_.empty()) {
        // The picture's playlist is in; the sound's comes next.
        NoteDurations(media.value());
        pieces_ = PiecesOf(media.value());
        plan_.format = hls::FormatOf(media.value());
        return ReadPlaylist(*sound_address_);
    }
    OnMediaPlaylist(media.value());
}

void HlsDownload::OnMediaPlaylist(const hls::MediaPlaylist& playlist) {
    NoteDurations(playlist);
    if (sound_address_) {
        sound_pieces_ = PiecesOf(playlist);
    } else {
        pieces_ = PiecesOf(playlist);
        plan_.format = hls::FormatOf(playlist);
    }
    plan_.pieces = pieces_.size() + sound_pieces_.size();
    plan_.aac = aac_;
    plan_.sound_apart = sound_address_.has_value();
    plan_.fingerprint = FingerprintOf(pieces_);
    const ReadyHandler ready = std::move(on_ready_);
    ready(plan_);
}

Status HlsDownload::Write(const std::optional<Earlier>& earlier, const PathChooser& temporary_path,
                          const PathChooser& sound_path, ProgressHandler on_progress,
                          DoneHandler on_done) {
    size_t first = 0;
    if (earlier && !plan_.sound_apart) {
        Status opened = file_.OpenToResume(earlier->path, earlier->kept);
        if (opened) opened = file_.CutTo(earlier->kept);
        if (!opened) {
            file_.Close();
            return opened;
        }
        first = earlier->written;
    } else {
        if (Status created = CreateFirstFree(file_, temporary_path); !created) return created;
    }
    on_done_ = std::move(on_done);
    on_progress_ = std::move(on_progress);
    sound_path_ = sound_path;
    pieces_download_ = std::make_unique<PieceDownload>(requests_, cipher_, std::move(pieces_));
    pieces_download_->Start(
        file_, first, [this](const PieceDownload::Progress& progress) { Tell(progress); },
        [this](Outcome outcome) { OnPiecesDone(std::move(outcome)); });
    return {};
}

// The sound's pieces, after the picture's, into a file of their own.
void HlsDownload::WriteSound() {
    if (Status created = CreateFirstFree(sound_file_, sound_path_); !created) {
        return Finish(Outcome::Failed(created.failure()));
    }
    const size_t picture = plan_.pieces - sound_pieces_.size();
    const int64_t picture_bytes = file_.OnDisk();
    pieces_download_ =
        std::make_unique<PieceDownload>(requests_, cipher_, std::move(sound_pieces_));
    pieces_download_->Start(
        sound_file_, 0,
        [this, picture, picture_bytes](const PieceDownload::Progress& sound) {
            Tell({picture + sound.written, plan_.pieces, picture_bytes + sound.on_disk});
        },
        [this](Outcome outcome) { OnPiecesDone(std::move(outcome)); });
}

// Notes the playing time of the playlist's pieces, after those noted before.
void HlsDownload::NoteDurations(const hls::MediaPlaylist& playlist) {
    if (elapsed_ms_.empty()) elapsed_ms_.push_back(0);
    const bool has_map = !playlist.segments.empty() && playlist.segments.front().map;
    if (has_map) elapsed_ms_.push_back(elapsed_ms_.back());
    for (const hls::Segment& segment : playlist.segments) {
        const double ms = std::clamp(segment.duration, 0.0, 86400.0) * 1000.0;
        elapsed_ms_.push_back(elapsed_ms_.back() + static_cast<int64_t>(ms));
    }
}

// Progress, with the playing time of what is written.
void HlsDownload::Tell(PieceDownload::Progress progress) {
    progress.done_ms = PlayingTimeOf(progress.written);
    progress.total_ms = PlayingTimeOf(plan_.pieces);
    on_progress_(progress);
}

// The pieces are written: a power cut after the file takes its name must not
// leave it short, so the disk is asked to take them first.
void HlsDownload::OnPiecesDone(Outcome outcome) {
    pieces_download_.reset();
    if (!outcome.IsComplete()) return Finish(std::move(outcome));
    if (plan_.sound_apart && sound_file_.Path().empty()) return WriteSound();
    SyncFiles();
}

void HlsDownload::SyncFiles() {
    const int picture = file_.Release();
    const int sound = sound_file_.Release();
    syncing_ = background_.Run(
        [picture, sound] {
            const int error = transfer::files::SyncAndClose(picture);
            const int sound_error = sound >= 0 ? transfer::files::SyncAndClose(sound) : 0;
            return error != 0 ? error : sound_error;
        },
        [this](int error) {
            if (transfer::files::BytesMayBeLost(error)) {
                return Finish(Outcome::Failed(transfer::files::FileError(error)));
            }
            Finish(Outcome::Complete());
        });
}

void HlsDownload::Finish(Outcome outcome) {
    syncing_.reset();
    pieces_download_.reset();
    file_.Close();
    sound_file_.Close();
    const DoneHandler done = std::move(on_done_);
    done(std::move(outcome));
}

} // namespace tarnwick::driver
