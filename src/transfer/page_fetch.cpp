#include "transfer/page_fetch.h"

#include "transfer/header_fields.h"

#include <utility>

namespace tarnwick::transfer {

PageFetch::PageFetch(platform::HttpClient& http, platform::Clock& clock, TimeLimits limits)
    : http_(http),
      watch_(clock, limits, [this](Reason reason) { Fail(reason, {}); }),
      rate_(clock, kLeastRate, [this] { Fail(Reason::kPageTooSlow, {}); }) {}

void PageFetch::Start(const std::string& address, ProgressHandler on_progress,
                      DoneHandler on_done) {
    on_progress_ = std::move(on_progress);
    on_done_ = std::move(on_done);
    platform::HttpRequest request;
    request.url = address;
    request.accept_compression = true;
    request.reach = reach_;
    watch_.Opening();
    exchange_ = http_.Start(request, *this);
}

void PageFetch::OnAnswer(const platform::HttpAnswer& answer) {
    http_status_ = answer.status;
    answered_from_ = answer.url;
    began_public_ = answer.began_public;
    // The length of a coded page is not that of the bytes it is read as.
    if (!IsContentCoded(answer)) size_ = ContentLengthField(answer);
    watch_.Answered();
    rate_.Start();
    if (hand_over_videos_ && answer.status >= 200 && answer.status < 300 &&
        MediaTypeField(answer).starts_with("video/")) {
        watch_.Stop();
        rate_.Stop();
        Result result{Outcome::Complete(),  http_status_, answered_from_, {},
                      std::move(exchange_), answer,       began_public_};
        const DoneHandler done = std::move(on_done_);
        done(std::move(result));
    }
}

void PageFetch::OnBody(const char* data, size_t size) {
    watch_.Received();
    rate_.Received(size);
    if (received_ + static_cast<int64_t>(size) > kSizeLimit) {
        Fail(Reason::kPageNotFetched, "The page is larger than 64 MiB");
        return;
    }
    received_ += static_cast<int64_t>(size);
    if (on_block_) {
        on_block_(data, size);
    } else {
        page_.append(data, size);
    }
    on_progress_(received_, size_);
}

void PageFetch::OnEnd(const platform::HttpEnd& end) {
    if (end.kind == platform::HttpEnd::Kind::kComplete) {
        Finish(Outcome::Complete());
    } else if (end.kind == platform::HttpEnd::Kind::kRefusedAddress) {
        Fail(Reason::kPrivateAddress, end.detail);
    } else {
        Fail(Reason::kPageNotFetched, end.detail);
    }
}

void PageFetch::Fail(Reason reason, std::string detail) {
    Finish(Outcome::Failed(reason, std::move(detail), http_status_));
}

void PageFetch::Finish(Outcome outcome) {
    watch_.Stop();
    rate_.Stop();
    exchange_.reset();
    Result result{std::move(outcome), http_status_, answered_from_, {}, nullptr, {}, began_public_};
    if (result.outcome.IsComplete()) result.page = std::move(page_);
    page_.clear();
    const DoneHandler done = std::move(on_done_);
    done(std::move(result));
}

} // namespace tarnwick::transfer
