#include "driver/subtitle_fetching.h"

#include "hls/media_playlist.h"
#include "hls/webvtt_pieces.h"
#include "transfer/file_system.h"

#include <utility>

namespace tarnwick::driver {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A stream's subtitle of more pieces, or more bytes, is not a subtitle.
constexpr size_t kMostPieces = 20000;
constexpr int64_t kMostPieceBytes = 32LL << 20;

} // namespace

bool LooksLikeSubtitle(const std::string& body, const std::string& ext) {
    std::string_view text = body;
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    if (ext == "vtt") return text.starts_with("WEBVTT");
    const size_t start = text.find_first_not_of(" \t\r\n");
    return ext == "srt" && start != std::string_view::npos && text[start] >= '0' &&
           text[start] <= '9' && text.find("-->") != std::string_view::npos;
}

SubtitleFetching::~SubtitleFetching() {
    if (!on_done_) return;
    for (const FetchedSubtitle& subtitle : done_.fetched)
        (void)transfer::files::Remove(subtitle.path);
}

void SubtitleFetching::Start(std::vector<resolve::ChosenSubtitle> wanted, DoneHandler on_done) {
    wanted_ = std::move(wanted);
    on_done_ = std::move(on_done);
    FetchNext();
}

void SubtitleFetching::FetchNext() {
    if (next_ == wanted_.size()) {
        fetch_.reset();
        DoneHandler on_done = std::move(on_done_);
        on_done_ = nullptr;
        return on_done(std::move(done_));
    }
    const resolve::ChosenSubtitle& subtitle = wanted_[next_];
    Fetch(subtitle.url, [this, pieces = subtitle.pieces](std::string body) {
        if (!pieces) return Settle(body);
        OnPlaylist(body, wanted_[next_].url);
    });
}

// `on_body` has the page's bytes, or nothing when it could not be had.
void SubtitleFetching::Fetch(const std::string& address,
                             std::function<void(std::string body)> on_body) {
    fetch_ = std::make_unique<transfer::PageFetch>(requests_);
    fetch_->Start(
        address, [](int64_t, std::optional<int64_t>) {},
        [this, on_body = std::move(on_body)](transfer::PageFetch::Result result) {
            const bool had =
                result.outcome.IsComplete() && !result.file && result.http_status < 400;
            on_body(had ? std::move(result.page) : std::string());
        });
}

// A stream's subtitle: every piece must be a plain file at a web address.
void SubtitleFetching::OnPlaylist(const std::string& playlist, const std::string& address) {
    const Result<hls::MediaPlaylist> read = hls::ParseMediaPlaylist(playlist, address);
    if (!read || !hls::CheckDownloadable(read.value()) ||
        read.value().segments.size() > kMostPieces)
        return Settle({});
    piece_addresses_.clear();
    for (const hls::Segment& segment : read.value().segments) {
        if (segment.key.method != hls::KeyMethod::kNone || segment.map || segment.range)
            return Settle({});
        piece_addresses_.push_back(segment.uri);
    }
    pieces_.clear();
    piece_bytes_ = 0;
    FetchPiece();
}

void SubtitleFetching::FetchPiece() {
    if (pieces_.size() == piece_addresses_.size()) {
        const Result<std::string> joined = hls::JoinWebVttPieces(pieces_);
        pieces_.clear();
        return Settle(joined ? joined.value() : std::string());
    }
    Fetch(piece_addresses_[pieces_.size()], [this](std::string body) {
        piece_bytes_ += static_cast<int64_t>(body.size());
        if (body.empty() || piece_bytes_ > kMostPieceBytes) return Settle({});
        pieces_.push_back(std::move(body));
        FetchPiece();
    });
}

void SubtitleFetching::Settle(const std::string& body) {
    const resolve::ChosenSubtitle& subtitle = wanted_[next_];
    const std::string path = LooksLikeSubtitle(body, subtitle.ext) ? Write(body) : std::string();
    if (path.empty()) {
        done_.failed.push_back(subtitle.language);
    } else {
        done_.fetched.push_back({subtitle.language, subtitle.ext, path});
    }
    ++next_;
    FetchNext();
}

// A subtitle is a few hundred kilobytes at most: it is written at once.
std::string SubtitleFetching::Write(const std::string& body) const {
    const std::string path = path_for_(wanted_[next_]);
    const Result<int> made = transfer::files::CreateNew(path);
    if (!made) return {};
    const Status written = transfer::files::WriteAll(made.value(), body.data(), body.size());
    const Status closed = transfer::files::Close(made.value());
    if (written && closed) return path;
    (void)transfer::files::Remove(path);
    return {};
}

} // namespace tarnwick::driver
