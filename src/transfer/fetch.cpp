#include "transfer/fetch.h"

#include <chrono>
#include <utility>

namespace tarnwick::transfer {
namespace {

bool IsRanged(const FetchRequest& request) { return request.from.has_value(); }

// A partial answer nobody asked for fits only when it is the whole.
Fit FitOfUnaskedPart(const platform::HttpAnswer& answer) {
    const std::optional<ContentRange> range = ContentRangeField(answer);
    const bool whole = range && range->first == 0 && range->total &&
                       range->last + 1 == *range->total && !IsContentCoded(answer);
    return whole ? Fit::kAsAsked : Fit::kOtherPart;
}

// The resource's size as the answer tells it.
std::optional<int64_t> TotalOf(const platform::HttpAnswer& answer) {
    if (IsContentCoded(answer)) return std::nullopt;
    if (answer.status != 206) return ContentLengthField(answer);
    const std::optional<ContentRange> range = ContentRangeField(answer);
    return range ? range->total : std::nullopt;
}

} // namespace

Failure FailureOfFit(Fit fit, int status) {
    switch (fit) {
        case Fit::kAsAsked: break;
        case Fit::kError: return StatusOfAnswer(status).failure();
        case Fit::kWhole: return Failure{Reason::kErrorAnswer, status, "the server sent no part"};
        case Fit::kOtherPart: break;
    }
    return Failure{Reason::kErrorAnswer, status, "the server sent another part"};
}

Status StatusOfAnswer(int http_status) {
    if (http_status >= 200 && http_status < 300) return {};
    const Reason reason =
        (http_status == 404 || http_status == 410) ? Reason::kVideoNotFound : Reason::kErrorAnswer;
    return Failure{reason, http_status, {}};
}

Fit FitOf(const FetchRequest& request, const platform::HttpAnswer& answer) {
    if (answer.status == 416) return Fit::kOtherPart;
    if (answer.status < 200 || answer.status >= 300) return Fit::kError;
    if (answer.status != 206) return IsRanged(request) ? Fit::kWhole : Fit::kAsAsked;
    if (!IsRanged(request)) return FitOfUnaskedPart(answer);
    if (IsContentCoded(answer)) return Fit::kOtherPart;
    const std::optional<ContentRange> range = ContentRangeField(answer);
    if (!range) {
        // A part of a known length is counted at its end.
        return request.length ? Fit::kAsAsked : Fit::kOtherPart;
    }
    const int64_t from = *request.from;
    if (range->first != from) return Fit::kOtherPart;
    const bool to_the_end = range->total && range->last + 1 == *range->total;
    if (request.length ? range->last != from + *request.length - 1 : !to_the_end) {
        return Fit::kOtherPart;
    }
    // A length that is not the range's: the body would not be the bytes.
    const std::optional<int64_t> length = ContentLengthField(answer);
    if (length && *length != range->last - range->first + 1) return Fit::kOtherPart;
    if (request.total && range->total != request.total) return Fit::kOtherPart;
    // One that names no version was sent because it matched, as servers
    // send a partial answer to an If-Range only then.
    const std::string validator = ValidatorField(answer);
    if (!request.validator.empty() && !validator.empty() && validator != request.validator) {
        return Fit::kOtherPart;
    }
    return Fit::kAsAsked;
}

Fetch::Fetch(RequestContext& context)
    : context_(context),
      watch_(context.clock, context.limits, [this](Reason reason) { Fail(Failure{reason}); }),
      retry_(context.clock.NewTimer([this] { Start(request_, std::move(calls_)); })) {}

Fetch::~Fetch() { Close(); }

void Fetch::Start(FetchRequest request, Calls calls, std::optional<ConnectionBudget::Slot> slot) {
    request_ = std::move(request);
    calls_ = std::move(calls);
    if (request_.least_rate && !rate_) {
        rate_ = std::make_unique<RateWatch>(context_.clock, *request_.least_rate,
                                            [this] { Fail(Failure{request_.too_slow}); });
    }
    if (slot) return Send(std::move(*slot));
    if (context_.budget == nullptr) return Send({});
    const std::string host = HostKeyOf(request_.url);
    if (std::optional<ConnectionBudget::Slot> room =
            context_.budget->TryTake(host, request_.claim)) {
        return Send(std::move(*room));
    }
    waiting_ = context_.budget->Wait(host, request_.claim, [this](ConnectionBudget::Slot granted) {
        waiting_.reset();
        Send(std::move(granted));
    });
}

void Fetch::Send(ConnectionBudget::Slot slot) {
    slot_ = std::move(slot);
    platform::HttpRequest http;
    http.method = request_.method == FetchRequest::Method::kHead
                      ? platform::HttpRequest::Method::kHead
                      : platform::HttpRequest::Method::kGet;
    http.url = request_.url;
    http.reach = context_.reach;
    http.http10 = request_.probe;
    http.bypass_caches = request_.probe;
    http.accept_compression = request_.accept_compression;
    http.user_agent = context_.user_agent;
    http.headers = context_.headers;
    http.cookies = context_.cookies;
    http.trace_tag = context_.tag;
    http.beyond_limit = request_.claim == ConnectionBudget::Claim::kPage && !kept_to_limit_;
    if (IsRanged(request_)) {
        const int64_t from = *request_.from;
        std::string range = "Range: bytes=" + std::to_string(from) + "-";
        if (request_.length) range += std::to_string(from + *request_.length - 1);
        http.headers.push_back(std::move(range));
        if (!request_.validator.empty()) http.headers.push_back("If-Range: " + request_.validator);
    }
    answered_ = false;
    received_ = 0;
    body_.clear();
    watch_.Opening();
    exchange_ = context_.http.Start(http, *this);
}

void Fetch::KeepToLimit() {
    kept_to_limit_ = true;
    if (exchange_) exchange_->KeepToLimit();
}

void Fetch::DropLeastRate() {
    if (rate_) rate_->Stop();
    rate_.reset();
}

void Fetch::OnAnswer(const platform::HttpAnswer& head) {
    answered_ = true;
    context_.reach = platform::ReachAfter(context_.reach, head.began_public);
    const bool coded = IsContentCoded(head);
    answer_ = FetchAnswer{head,
                          FitOf(request_, head),
                          head.url.empty() ? request_.url : head.url,
                          MediaTypeField(head),
                          coded ? std::string() : ValidatorField(head),
                          TotalOf(head),
                          coded};
    watch_.Answered();
    if (rate_) rate_->Start();
    if (!request_.any_answer && answer_.fit != Fit::kAsAsked) {
        return Fail(FailureOfFit(answer_.fit, head.status));
    }
    const std::optional<int64_t> length = coded ? std::nullopt : ContentLengthField(head);
    if (sink_ == nullptr && length && *length > request_.most_bytes) {
        return Fail(Failure{Reason::kErrorAnswer, head.status, "the answer is too large"}, false);
    }
    if (!calls_.on_answer) return;
    // From a copy: the callee may hand the fetch to other calls.
    const auto on_answer = calls_.on_answer;
    std::optional<Outcome> end = on_answer(answer_);
    if (!end) return;
    // A failure the owner saw in the answer keeps the rule for trying again.
    if (end->IsFailed()) return Fail(end->failure());
    Finish(std::move(*end));
}

void Fetch::OnBody(const char* data, size_t size) {
    watch_.Received();
    if (rate_) rate_->Received(size);
    received_ += static_cast<int64_t>(size);
    if (sink_ != nullptr) {
        if (Status taken = sink_->Take(data, size); !taken) return Fail(taken.failure(), false);
    } else {
        if (static_cast<int64_t>(body_.size() + size) > request_.most_bytes) {
            return Fail(
                Failure{Reason::kErrorAnswer, answer_.head.status, "the answer is too large"},
                false);
        }
        body_.append(data, size);
    }
    // Last, and from a copy: the fetch may be gone after it.
    if (calls_.on_body) {
        const std::function<void(size_t)> on_body = calls_.on_body;
        on_body(size);
    }
}

void Fetch::OnEnd(const platform::HttpEnd& end) {
    const int status = answer_.head.status;
    if (end.kind == platform::HttpEnd::Kind::kRefusedAddress) {
        return Fail(Failure{Reason::kPrivateAddress, 0, end.detail}, false);
    }
    if (end.kind != platform::HttpEnd::Kind::kComplete) {
        return Fail(Failure{Reason::kConnectionLost, status, end.detail});
    }
    if (request_.method == FetchRequest::Method::kHead || !answered_) {
        return Finish(Outcome::Complete());
    }
    const std::optional<int64_t> length =
        answer_.coded ? std::nullopt : ContentLengthField(answer_.head);
    if (length && received_ < *length) {
        return Fail(Failure{Reason::kConnectionLost, status, "The answer ended early"});
    }
    if (request_.length && answer_.fit == Fit::kAsAsked && received_ != *request_.length) {
        return Fail(FailureOfFit(Fit::kOtherPart, status));
    }
    Finish(Outcome::Complete());
}

// A failure worth another try waits for it, with the slot given back. A
// server that says "too many" while it has others of ours takes no more.
void Fetch::Fail(Failure failure, bool may_retry) {
    const bool too_many = failure.http_status == 429 || failure.http_status == 503;
    if (too_many && context_.budget != nullptr && request_.claim != ConnectionBudget::Claim::kPage)
        context_.budget->Crowded(HostKeyOf(request_.url));
    if (may_retry && sink_ == nullptr && tries_ < request_.retries) {
        context_.Note([&] {
            return request_.url + " failed (reason " +
                   std::to_string(static_cast<int>(failure.reason)) + ", status " +
                   std::to_string(failure.http_status) + "); tried again in " +
                   std::to_string(1 << tries_) + " s";
        });
        Close();
        retry_->Start(std::chrono::seconds(1 << tries_));
        ++tries_;
        return;
    }
    Finish(Outcome::Failed(std::move(failure)));
}

void Fetch::Finish(Outcome outcome) {
    FetchEnd end{std::move(outcome), answered_, answer_, {}, received_};
    if (end.outcome.IsComplete() && sink_ == nullptr) end.body = std::move(body_);
    Close();
    const std::function<void(FetchEnd)> done = std::move(calls_.on_done);
    calls_ = {};
    if (done) done(std::move(end));
}

void Fetch::Close() {
    retry_->Stop();
    watch_.Stop();
    if (rate_) rate_->Stop();
    waiting_.reset();
    // The connection closes before its room is handed on.
    exchange_.reset();
    slot_.Release();
}

} // namespace tarnwick::transfer
