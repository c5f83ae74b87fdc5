#include "driver/stream_download.h"

#include <algorithm>
#include <utility>

namespace tarnwick::driver {
namespace {

constexpr int64_t kMostKeyBytes = 1024;

int64_t PlayingTimeOf(const StreamSource& source, size_t pieces) {
    const auto& elapsed = source.elapsed_ms;
    return elapsed.empty() ? 0 : elapsed[std::min(pieces, elapsed.size() - 1)];
}

} // namespace

StreamDownload::StreamDownload(const DownloadServices& services, StreamSource source,
                               transfer::PartFile::PathChooser path)
    : requests_(services.requests),
      background_(services.background),
      cipher_(services.cipher),
      at_once_(static_cast<size_t>(std::max(services.connections, 1))),
      most_ahead_(std::max(kMostAhead, 2 * at_once_)),
      source_(std::move(source)),
      file_(services.background),
      path_(std::move(path)),
      begin_(requests_.clock.NewTimer([this] { Begin(kept_); })) {}

StreamDownload::~StreamDownload() = default;

bool StreamDownload::Fits(const StreamSource& source, const transfer::KeptOne& kept) {
    const auto* stream = std::get_if<transfer::KeptStream>(&kept);
    return stream != nullptr && stream->total == source.pieces.size() &&
           stream->fingerprint == source.fingerprint;
}

// Begins from the event loop, so that a file that cannot be made is told
// as every other end.
void StreamDownload::Start(const std::optional<transfer::Kept>& kept, Calls calls) {
    calls_ = std::move(calls);
    kept_ = kept;
    begin_->Start(platform::Duration(0));
}

void StreamDownload::Begin(const std::optional<transfer::Kept>& kept) {
    size_t first = 0;
    int64_t bytes = 0;
    if (const auto* stream = kept ? std::get_if<transfer::KeptStream>(&*kept) : nullptr) {
        // What came after the last whole piece goes.
        if (file_.Resume(stream->path, stream->bytes) && file_.Cut(stream->bytes)) {
            first = stream->pieces;
            bytes = stream->bytes;
            requests_.Note(
                [&] { return "the stream goes on from piece " + std::to_string(first); });
        } else {
            requests_.Note([] { return "the kept pieces are not as they were left; afresh"; });
            file_.Close();
        }
    }
    if (!file_.IsOpen()) {
        if (Status created = file_.Create(path_); !created)
            return Finish(Outcome::Failed(created.failure()));
    }
    writer_.emplace(file_, bytes);
    next_to_ask_ = next_to_write_ = std::min(first, source_.pieces.size());
    Tell();
    WriteWhatIsReady();
}

void StreamDownload::AskForMore() {
    while (next_to_ask_ < source_.pieces.size() && fetching_.size() < at_once_ &&
           waiting_bytes_ < kMostWaitingBytes && next_to_ask_ < next_to_write_ + most_ahead_) {
        const size_t index = next_to_ask_++;
        const StreamPiece& piece = source_.pieces[index];
        if (piece.key && !keys_.contains(piece.key->uri)) FetchKey(piece.key->uri);
        transfer::FetchRequest request{.url = piece.uri,
                                       .claim = fetching_.empty()
                                                    ? transfer::ConnectionBudget::Claim::kFirst
                                                    : transfer::ConnectionBudget::Claim::kExtra,
                                       .retries = kRetries};
        if (piece.range) {
            request.from = piece.range->offset;
            request.length = piece.range->length;
        }
        transfer::Fetch::Calls calls{nullptr, nullptr, [this, index](transfer::FetchEnd end) {
                                         OnPiece(index, std::move(end));
                                     }};
        if (IsOneResource()) {
            request.any_answer = true;
            calls.on_answer =
                [this](const transfer::FetchAnswer& answer) -> std::optional<Outcome> {
                if (answer.fit == transfer::Fit::kAsAsked) return std::nullopt;
                if (answer.fit != transfer::Fit::kWhole) {
                    return Outcome::Failed(transfer::FailureOfFit(answer.fit, answer.head.status));
                }
                ranges_ignored_ = true;
                return Outcome::Cancelled();
            };
        }
        auto fetch = std::make_unique<transfer::Fetch>(requests_);
        transfer::Fetch& started = *fetch;
        fetching_[index] = std::move(fetch);
        started.Start(std::move(request), std::move(calls));
    }
}

void StreamDownload::OnPiece(size_t index, transfer::FetchEnd end) {
    fetching_.erase(index);
    if (ranges_ignored_) return TakeWhole();
    if (!end.outcome.IsComplete()) return Fail(end.outcome.failure());
    waiting_bytes_ += end.body.size();
    waiting_[index] = std::move(end.body);
    // The next piece is asked for before this one is written: the
    // connection is not left idle while the disk takes it.
    AskForMore();
    WriteWhatIsReady();
}

void StreamDownload::FetchKey(const std::string& uri) {
    if (key_fetches_.contains(uri)) return;
    auto fetch = std::make_unique<transfer::Fetch>(requests_);
    transfer::Fetch& started = *fetch;
    key_fetches_[uri] = std::move(fetch);
    started.Start(
        {.url = uri, .most_bytes = kMostKeyBytes, .retries = kRetries},
        {nullptr, nullptr, [this, uri](transfer::FetchEnd end) { OnKey(uri, std::move(end)); }});
}

void StreamDownload::OnKey(const std::string& uri, transfer::FetchEnd end) {
    key_fetches_.erase(uri);
    if (!end.outcome.IsComplete()) return Fail(end.outcome.failure());
    if (end.body.size() != 16) {
        return Fail(Failure{Reason::kNotDecrypted, 0,
                            "the key is " + std::to_string(end.body.size()) + " bytes, not 16"});
    }
    keys_[uri] = std::move(end.body);
    WriteWhatIsReady();
}

// Writes the pieces whose turn has come, as long as their keys are in.
void StreamDownload::WriteWhatIsReady() {
    bool wrote = false;
    for (auto next = waiting_.find(next_to_write_); next != waiting_.end();
         next = waiting_.find(next_to_write_)) {
        const StreamPiece& piece = source_.pieces[next_to_write_];
        if (piece.key && !keys_.contains(piece.key->uri)) break;
        waiting_bytes_ -= next->second.size();
        Result<std::string> plain = Decrypted(piece, std::move(next->second));
        waiting_.erase(next);
        if (!plain) return Fail(plain.failure());
        if (Status written = writer_->Take(plain.value().data(), plain.value().size()); !written) {
            return Fail(written.failure());
        }
        ++next_to_write_;
        wrote = true;
    }
    if (wrote) {
        // What is on disk ends where a piece ends.
        if (Status flushed = writer_->Flush(); !flushed) return Fail(flushed.failure());
        Tell();
    }
    if (next_to_write_ < source_.pieces.size()) return AskForMore();
    // Every piece is written: a power cut after the file takes its name must
    // not leave it short, so the disk takes them first.
    file_.Sync([this](Status synced) {
        Finish(synced ? Outcome::Complete() : Outcome::Failed(synced.failure()));
    });
}

Result<std::string> StreamDownload::Decrypted(const StreamPiece& piece, std::string bytes) const {
    if (!piece.key) return bytes;
    if (cipher_ == nullptr) return Failure{Reason::kNotDecrypted, 0, "no cipher is at hand"};
    return cipher_->DecryptAes128Cbc(keys_.at(piece.key->uri), piece.key->iv, bytes);
}

void StreamDownload::Tell() {
    if (!calls_.on_progress) return;
    Progress progress;
    progress.received = writer_ ? writer_->WrittenTo() : 0;
    progress.streamed = true;
    progress.done_ms = PlayingTimeOf(source_, next_to_write_);
    progress.total_ms = PlayingTimeOf(source_, source_.pieces.size());
    calls_.on_progress(progress);
}

// Every piece a range of one resource, none encrypted: the pieces are the
// resource's bytes as they are.
bool StreamDownload::IsOneResource() const {
    const auto& pieces = source_.pieces;
    return !pieces.empty() &&
           std::all_of(pieces.begin(), pieces.end(), [&](const StreamPiece& piece) {
               return piece.range && !piece.key && piece.uri == pieces.front().uri;
           });
}

// The server answered a piece with the whole resource: that is the stream.
// It is taken once, as a file, into the stream's own temporary file.
void StreamDownload::TakeWhole() {
    requests_.Note([&] {
        return "the server ignores ranges: " + source_.pieces.front().uri + " is taken whole";
    });
    fetching_.clear();
    key_fetches_.clear();
    waiting_.clear();
    waiting_bytes_ = 0;
    writer_.reset();
    const std::string path = file_.Path();
    file_.Close();
    whole_ = std::make_unique<transfer::FileDownload>(requests_, background_, 1);
    whole_->Start(source_.pieces.front().uri, transfer::KeptWhole{path, 0}, path_,
                  {[this](const transfer::FileDownload::Progress& p) {
                       if (calls_.on_progress) calls_.on_progress({p.received, p.size, p.decoded});
                   },
                   [this] {
                       if (calls_.on_layout) calls_.on_layout();
                   },
                   [this](Outcome outcome) {
                       const std::function<void(Outcome)> done = std::move(calls_.on_done);
                       calls_ = {};
                       if (done) done(std::move(outcome));
                   }});
}

std::vector<std::string> StreamDownload::Files() const {
    return {whole_ ? whole_->TemporaryPath() : file_.Path()};
}

std::optional<transfer::Kept> StreamDownload::Keep() const {
    if (whole_) {
        const std::optional<transfer::KeptOne> kept = whole_->Keep();
        return kept ? std::optional(transfer::AsKept(*kept)) : std::nullopt;
    }
    if (!writer_) return kept_;
    return transfer::KeptStream{file_.Path(), writer_->WrittenTo(), next_to_write_,
                                source_.pieces.size(), source_.fingerprint};
}

// Pieces that could not be written, or decrypted, are no start for a later
// try: they go.
void StreamDownload::Fail(Failure failure) {
    const Reason reason = failure.reason;
    if (reason == Reason::kWriteFailed || reason == Reason::kDiskFull ||
        reason == Reason::kNotDecrypted) {
        file_.Discard();
        writer_.reset();
        kept_.reset();
    }
    Finish(Outcome::Failed(std::move(failure)));
}

void StreamDownload::Abandon() {
    if (whole_) whole_->Abandon();
    begin_->Stop();
    fetching_.clear();
    key_fetches_.clear();
    waiting_.clear();
    waiting_bytes_ = 0;
    file_.Close();
    calls_ = {};
}

void StreamDownload::Finish(Outcome outcome) {
    const std::function<void(Outcome)> done = std::move(calls_.on_done);
    Abandon();
    if (done) done(std::move(outcome));
}

} // namespace tarnwick::driver
