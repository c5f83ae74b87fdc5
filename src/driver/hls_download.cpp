#include "driver/hls_download.h"

#include "hls/master_playlist.h"
#include "transfer/file_system.h"

#include <charconv>
#include <utility>

namespace tarnwick::driver {
namespace {

constexpr int64_t kMostPlaylistBytes = 16 << 20;

std::optional<transfer::PieceRequest::Range> RangeOf(const std::optional<hls::ByteRange>& range) {
    if (!range) return std::nullopt;
    return transfer::PieceRequest::Range{static_cast<int64_t>(range->offset),
                                         static_cast<int64_t>(range->length)};
}

std::optional<StreamPiece::Key> KeyOf(const hls::SegmentKey& key, const hls::Iv& iv) {
    if (key.method != hls::KeyMethod::kAes128 || !key.uri) return std::nullopt;
    return StreamPiece::Key{*key.uri, iv};
}

} // namespace

std::string StreamMark(size_t written, size_t total) {
    return "hls:" + std::to_string(written) + "/" + std::to_string(total);
}

std::optional<std::pair<size_t, size_t>> ReadStreamMark(std::string_view mark) {
    constexpr std::string_view kPrefix = "hls:";
    if (!mark.starts_with(kPrefix)) return std::nullopt;
    mark.remove_prefix(kPrefix.size());
    const size_t slash = mark.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    auto number = [](std::string_view digits) -> std::optional<size_t> {
        size_t value = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
        return value;
    };
    const std::optional<size_t> written = number(mark.substr(0, slash));
    const std::optional<size_t> total = number(mark.substr(slash + 1));
    if (!written || !total || *written > *total) return std::nullopt;
    return std::pair{*written, *total};
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

void HlsDownload::Start(const std::string& address, ReadyHandler on_ready, DoneHandler on_done) {
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
        if (read_master_) {
            return Finish(Outcome::Failed(Reason::kPlaylistUnreadable,
                                          "a stream's playlist names streams again"));
        }
        read_master_ = true;
        const Result<hls::MasterPlaylist> master =
            hls::ParseMasterPlaylist(result.body, result.url);
        if (!master) return Finish(Outcome::Failed(master.failure()));
        const Result<hls::StreamChoice> choice = hls::ChooseStream(master.value());
        if (!choice) return Finish(Outcome::Failed(choice.failure()));
        if (choice.value().IsAudioSeparate())
            return Finish(Outcome::Failed(Reason::kSoundSeparate));
        aac_ = choice.value().variant.codecs.find("mp4a") != std::string::npos;
        return ReadPlaylist(choice.value().variant.uri);
    }
    const Result<hls::MediaPlaylist> media = hls::ParseMediaPlaylist(result.body, result.url);
    if (!media) return Finish(Outcome::Failed(media.failure()));
    if (Status downloadable = hls::CheckDownloadable(media.value()); !downloadable) {
        return Finish(Outcome::Failed(downloadable.failure()));
    }
    OnMediaPlaylist(media.value());
}

void HlsDownload::OnMediaPlaylist(const hls::MediaPlaylist& playlist) {
    pieces_ = PiecesOf(playlist);
    plan_ = {hls::FormatOf(playlist), pieces_.size(), aac_};
    const ReadyHandler ready = std::move(on_ready_);
    ready(plan_);
}

Status HlsDownload::Write(const std::optional<Earlier>& earlier, const PathChooser& temporary_path,
                          ProgressHandler on_progress, DoneHandler on_done) {
    size_t first = 0;
    if (earlier) {
        Status opened = file_.OpenToResume(earlier->path, earlier->kept);
        if (opened) opened = file_.CutTo(earlier->kept);
        if (!opened) {
            file_.Close();
            return opened;
        }
        first = earlier->written;
    } else {
        constexpr int kAttempts = 100;
        Status created = transfer::files::FileError(EEXIST);
        for (int attempt = 1; attempt <= kAttempts && transfer::files::FailedWith(created, EEXIST);
             ++attempt) {
            created = file_.Create(temporary_path(attempt));
        }
        if (!created) {
            Failure failure = created.failure();
            if (failure.system == std::errc::no_space_on_device) failure.reason = Reason::kDiskFull;
            return failure;
        }
    }
    on_done_ = std::move(on_done);
    pieces_download_ = std::make_unique<PieceDownload>(requests_, cipher_, std::move(pieces_));
    pieces_download_->Start(file_, first, std::move(on_progress),
                            [this](Outcome outcome) { OnPiecesDone(std::move(outcome)); });
    return {};
}

// The pieces are written: a power cut after the file takes its name must not
// leave it short, so the disk is asked to take them first.
void HlsDownload::OnPiecesDone(Outcome outcome) {
    pieces_download_.reset();
    if (!outcome.IsComplete()) return Finish(std::move(outcome));
    const int descriptor = file_.Release();
    syncing_ =
        background_.Run([descriptor] { return transfer::files::SyncAndClose(descriptor); },
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
    const DoneHandler done = std::move(on_done_);
    done(std::move(outcome));
}

} // namespace tarnwick::driver
