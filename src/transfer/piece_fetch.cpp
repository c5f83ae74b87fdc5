#include "transfer/piece_fetch.h"

#include "transfer/file_transfer.h"
#include "transfer/header_fields.h"

#include <string>
#include <utility>

namespace tarnwick::transfer {

PieceFetch::PieceFetch(platform::HttpClient& http, platform::Clock& clock, TimeLimits limits)
    : http_(http),
      watch_(clock, limits, [this](Reason reason) { Finish(Outcome::Failed(reason)); }) {}

PieceFetch::~PieceFetch() = default;

void PieceFetch::Start(PieceRequest request, DoneHandler on_done) {
    request_ = std::move(request);
    on_done_ = std::move(on_done);
    platform::HttpRequest http_request;
    http_request.url = request_.url;
    http_request.reach = reach_;
    http_request.user_agent = user_agent_;
    http_request.headers = request_.headers;
    if (request_.range) {
        const int64_t last = request_.range->offset + request_.range->length - 1;
        http_request.headers.push_back("Range: bytes=" + std::to_string(request_.range->offset) +
                                       "-" + std::to_string(last));
    }
    watch_.Opening();
    exchange_ = http_.Start(http_request, *this);
}

void PieceFetch::OnAnswer(const platform::HttpAnswer& answer) {
    watch_.Answered();
    result_.url = answer.url.empty() ? request_.url : answer.url;
    result_.began_public = answer.began_public;
    result_.content_type = MediaTypeField(answer);
    if (Status success = StatusOfAnswer(answer.status); !success) {
        return Finish(Outcome::Failed(success.failure()));
    }
    if (request_.range && answer.status != 206) {
        // The whole resource came where a part was asked for: not the piece.
        return Finish(
            Outcome::Failed(Reason::kErrorAnswer, "the server sent no part", answer.status));
    }
    length_ = ContentLengthField(answer);
    if (length_ && *length_ > request_.limit) {
        return Finish(Outcome::Failed(Reason::kErrorAnswer, kTooLarge));
    }
}

void PieceFetch::OnBody(const char* data, size_t size) {
    watch_.Received();
    if (static_cast<int64_t>(result_.body.size() + size) > request_.limit) {
        return Finish(Outcome::Failed(Reason::kErrorAnswer, kTooLarge));
    }
    result_.body.append(data, size);
}

void PieceFetch::OnEnd(const platform::HttpEnd& end) {
    if (end.kind == platform::HttpEnd::Kind::kRefusedAddress) {
        return Finish(Outcome::Failed(Reason::kPrivateAddress, end.detail));
    }
    if (end.kind != platform::HttpEnd::Kind::kComplete) {
        return Finish(Outcome::Failed(Reason::kConnectionLost, end.detail));
    }
    if (length_ && static_cast<int64_t>(result_.body.size()) != *length_) {
        return Finish(Outcome::Failed(Reason::kConnectionLost, "The answer ended early"));
    }
    if (request_.range && static_cast<int64_t>(result_.body.size()) != request_.range->length) {
        return Finish(Outcome::Failed(Reason::kErrorAnswer, "the server sent another part"));
    }
    Finish(Outcome::Complete());
}

void PieceFetch::Finish(Outcome outcome) {
    watch_.Stop();
    exchange_.reset();
    result_.outcome = std::move(outcome);
    const DoneHandler done = std::move(on_done_);
    done(std::move(result_));
}

} // namespace tarnwick::transfer
