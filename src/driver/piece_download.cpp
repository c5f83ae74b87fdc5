#include "driver/piece_download.h"

#include <utility>

namespace tarnwick::driver {
namespace {

constexpr int64_t kMostKeyBytes = 1024;

} // namespace

PieceDownload::PieceDownload(const PieceRequests& requests, const platform::PieceCipher* cipher,
                             std::vector<StreamPiece> pieces)
    : requests_(requests), cipher_(cipher), pieces_(std::move(pieces)) {}

PieceDownload::~PieceDownload() = default;

void PieceDownload::Start(transfer::DownloadFile& file, size_t first, ProgressHandler on_progress,
                          DoneHandler on_done) {
    file_ = &file;
    on_progress_ = std::move(on_progress);
    on_done_ = std::move(on_done);
    next_to_ask_ = next_to_write_ = std::min(first, pieces_.size());
    if (next_to_write_ == pieces_.size()) {
        // Nothing left to fetch: the end is told from the event loop all the same.
        nothing_left_ = requests_.clock.NewTimer([this] { WriteWhatIsReady(); });
        nothing_left_->Start(platform::Duration(0));
        return;
    }
    AskForMore();
}

void PieceDownload::AskForMore() {
    while (next_to_ask_ < pieces_.size() && fetching_.size() < kAtOnce &&
           waiting_bytes_ < kMostWaitingBytes && next_to_ask_ < next_to_write_ + kMostAhead) {
        const size_t index = next_to_ask_++;
        const StreamPiece& piece = pieces_[index];
        if (piece.key && !keys_.contains(piece.key->uri)) FetchKey(piece.key->uri);
        auto fetch = std::make_unique<RetriedFetch>(requests_);
        RetriedFetch& started = *fetch;
        fetching_[index] = std::move(fetch);
        started.Start({piece.uri, piece.range}, [this, index](transfer::PieceFetch::Result result) {
            OnPiece(index, std::move(result));
        });
    }
}

void PieceDownload::OnPiece(size_t index, transfer::PieceFetch::Result result) {
    fetching_.erase(index);
    if (!result.outcome.IsComplete()) return Fail(result.outcome.failure());
    waiting_bytes_ += result.body.size();
    waiting_[index] = std::move(result.body);
    // The next piece is asked for before this one is written: the
    // connection is not left idle while the disk takes it.
    AskForMore();
    WriteWhatIsReady();
}

void PieceDownload::FetchKey(const std::string& uri) {
    if (key_fetches_.contains(uri)) return;
    auto fetch = std::make_unique<RetriedFetch>(requests_);
    RetriedFetch& started = *fetch;
    key_fetches_[uri] = std::move(fetch);
    transfer::PieceRequest request{uri};
    request.limit = kMostKeyBytes;
    started.Start(std::move(request), [this, uri](transfer::PieceFetch::Result result) {
        OnKey(uri, std::move(result));
    });
}

void PieceDownload::OnKey(const std::string& uri, transfer::PieceFetch::Result result) {
    key_fetches_.erase(uri);
    if (!result.outcome.IsComplete()) return Fail(result.outcome.failure());
    if (result.body.size() != 16) {
        return Fail(Failure{Reason::kNotDecrypted, 0,
                            "the key is " + std::to_string(result.body.size()) + " bytes, not 16"});
    }
    keys_[uri] = std::move(result.body);
    WriteWhatIsReady();
}

// Writes the pieces whose turn has come, as long as their keys are in.
void PieceDownload::WriteWhatIsReady() {
    bool wrote = false;
    for (auto next = waiting_.find(next_to_write_); next != waiting_.end();
         next = waiting_.find(next_to_write_)) {
        const StreamPiece& piece = pieces_[next_to_write_];
        if (piece.key && !keys_.contains(piece.key->uri)) break;
        waiting_bytes_ -= next->second.size();
        Result<std::string> plain = Decrypted(piece, std::move(next->second));
        waiting_.erase(next);
        if (!plain) return Fail(plain.failure());
        if (Status written = file_->Append(plain.value().data(), plain.value().size()); !written) {
            return Fail(written.failure());
        }
        ++next_to_write_;
        wrote = true;
    }
    const bool last = next_to_write_ == pieces_.size();
    if (wrote) {
        // What is on disk ends where a piece ends: the next try goes on from there.
        if (Status flushed = file_->Flush(); !flushed) return Fail(flushed.failure());
        on_progress_({next_to_write_, pieces_.size(), file_->OnDisk()});
    }
    if (last) {
        const DoneHandler done = std::move(on_done_);
        return done(Outcome::Complete());
    }
    AskForMore();
}

Result<std::string> PieceDownload::Decrypted(const StreamPiece& piece, std::string bytes) const {
    if (!piece.key) return bytes;
    if (cipher_ == nullptr) {
        return Failure{Reason::kNotDecrypted, 0, "no cipher is at hand"};
    }
    return cipher_->DecryptAes128Cbc(keys_.at(piece.key->uri), piece.key->iv, bytes);
}

void PieceDownload::Fail(Failure failure) {
    if (failure.system == std::errc::no_space_on_device) failure.reason = Reason::kDiskFull;
    fetching_.clear();
    key_fetches_.clear();
    waiting_.clear();
    waiting_bytes_ = 0;
    const DoneHandler done = std::move(on_done_);
    if (done) done(Outcome::Failed(std::move(failure)));
}

} // namespace tarnwick::driver
