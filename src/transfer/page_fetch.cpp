#include "transfer/page_fetch.h"

#include "transfer/answer_kind.h"
#include "transfer/header_fields.h"

#include <utility>

namespace tarnwick::transfer {
namespace {

// How many first bytes tell a file from a page.
constexpr size_t kOpening = 64;

} // namespace

void PageFetch::Start(const std::string& address, ProgressHandler on_progress,
                      DoneHandler on_done) {
    on_progress_ = std::move(on_progress);
    on_done_ = std::move(on_done);
    fetch_ = std::make_unique<Fetch>(requests_);
    fetch_->SetSink(this);
    fetch_->Start(FetchRequest{.url = address,
                               .any_answer = true,
                               .accept_compression = true,
                               .least_rate = kLeastRate},
                  {[this](const FetchAnswer& answer) { return OnAnswer(answer); },
                   [this](size_t) { OnBody(); }, [this](FetchEnd end) { OnDone(std::move(end)); }});
}

std::optional<Outcome> PageFetch::OnAnswer(const FetchAnswer& answer) {
    answer_ = answer;
    // The length of a coded page is not that of the bytes it is read as.
    if (!answer.coded) size_ = ContentLengthField(answer.head);
    kind_ = Kind::kPage;
    if (hand_over_files_ && !answer.coded) {
        switch (KindOfAnswer(answer.head, answer.media_type)) {
            case AnswerKind::kPage: break;
            case AnswerKind::kFile: kind_ = Kind::kFile; break;
            case AnswerKind::kFileUnlessText: kind_ = Kind::kUndecided; break;
        }
    }
    return std::nullopt;
}

Status PageFetch::Take(const char* data, size_t size) {
    switch (kind_) {
        case Kind::kFile:
            // The file's first bytes go with it when it is handed over.
            page_.append(data, size);
            return {};
        case Kind::kUndecided:
            opening_.append(data, size);
            return opening_.size() < kOpening ? Status() : Decide();
        case Kind::kPage: break;
    }
    return TakePage(data, size);
}

Status PageFetch::Decide() {
    const std::string opening = std::exchange(opening_, {});
    kind_ = StartsAsText(opening) ? Kind::kPage : Kind::kFile;
    if (kind_ == Kind::kFile) {
        page_ = opening;
        return {};
    }
    return TakePage(opening.data(), opening.size());
}

Status PageFetch::TakePage(const char* data, size_t size) {
    if (received_ + static_cast<int64_t>(size) > kSizeLimit) {
        return Failure{Reason::kPageNotFetched, answer_.head.status,
                       "The page is larger than 64 MiB"};
    }
    received_ += static_cast<int64_t>(size);
    if (on_block_) {
        on_block_(data, size);
    } else {
        page_.append(data, size);
    }
    return {};
}

void PageFetch::OnBody() {
    switch (kind_) {
        case Kind::kFile: return HandOver();
        case Kind::kUndecided: return;
        case Kind::kPage: return on_progress_(received_, size_);
    }
}

void PageFetch::HandOver() {
    Result result{
        Outcome::Complete(), answer_.head.status, answer_.head.url, {}, std::move(fetch_), answer_,
        std::move(page_)};
    result.file->SetSink(nullptr);
    result.file->SetCalls({});
    const DoneHandler done = std::move(on_done_);
    done(std::move(result));
}

void PageFetch::OnDone(FetchEnd end) {
    Outcome outcome = std::move(end.outcome);
    // A body too short to tell is read as the page it most likely is.
    if (kind_ == Kind::kUndecided && outcome.IsComplete()) {
        kind_ = Kind::kPage;
        const std::string opening = std::exchange(opening_, {});
        if (Status taken = TakePage(opening.data(), opening.size()); !taken)
            outcome = Outcome::Failed(taken.failure());
    }
    if (outcome.IsFailed()) {
        Failure failure = outcome.failure();
        // A page that could not be had says so, whatever broke it off.
        if (failure.reason == Reason::kConnectionLost) failure.reason = Reason::kPageNotFetched;
        failure.http_status = answer_.head.status;
        outcome = Outcome::Failed(std::move(failure));
    }
    Result result{std::move(outcome), answer_.head.status, answer_.head.url, {}, nullptr, {}, {}};
    if (result.outcome.IsComplete()) result.page = std::move(page_);
    page_.clear();
    fetch_.reset();
    const DoneHandler done = std::move(on_done_);
    done(std::move(result));
}

} // namespace tarnwick::transfer
