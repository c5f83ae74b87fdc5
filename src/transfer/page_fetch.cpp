#include "transfer/page_fetch.h"

#include "transfer/header_fields.h"

#include <utility>

namespace tarnwick::transfer {

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
    const int status = answer.head.status;
    video_ = hand_over_videos_ && status >= 200 && status < 300 &&
             answer.media_type.starts_with("video/");
    return std::nullopt;
}

Status PageFetch::Take(const char* data, size_t size) {
    if (video_) {
        // The video's first bytes go with it when it is handed over.
        page_.append(data, size);
        return {};
    }
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
    if (!video_) return on_progress_(received_, size_);
    Result result{
        Outcome::Complete(), answer_.head.status, answer_.head.url, {}, std::move(fetch_), answer_,
        std::move(page_)};
    result.video->SetSink(nullptr);
    result.video->SetCalls({});
    const DoneHandler done = std::move(on_done_);
    done(std::move(result));
}

void PageFetch::OnDone(FetchEnd end) {
    Outcome outcome = std::move(end.outcome);
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
