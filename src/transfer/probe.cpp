#include "transfer/probe.h"

#include "transfer/answer_kind.h"
#include "transfer/header_fields.h"
#include "transfer/url_helpers.h"

#include <memory>
#include <optional>
#include <utility>

namespace tarnwick::transfer {
namespace {

// The whole file's length: a partial answer's Content-Length is only that of
// its part, and the whole is the complete length of its Content-Range; a
// coded answer's lengths are those of the coded bytes, not of the file.
std::optional<int64_t> WholeLength(const platform::HttpAnswer& answer) {
    if (IsContentCoded(answer)) return std::nullopt;
    if (answer.status != 206) return ContentLengthField(answer);
    const std::optional<ContentRange> range = ContentRangeField(answer);
    return range ? range->total : std::nullopt;
}

} // namespace

ProbeFindings FindingsOfAnswer(const platform::HttpAnswer& answer) {
    ProbeFindings findings;
    if (answer.status == 404 || answer.status == 410) {
        findings.existence = ProbeFindings::Existence::kMissing;
        return findings;
    }
    if (answer.status < 200 || answer.status >= 300) return findings;
    findings.existence = ProbeFindings::Existence::kExists;
    if (HeaderBlockSize(answer) > kHeaderBlockLimit) return findings;
    findings.size = WholeLength(answer);
    findings.file_name = DispositionFileName(answer);
    findings.media_type = MediaTypeField(answer);
    findings.attachment = IsAttachment(answer);
    return findings;
}

Probe::Probe(RequestContext& requests)
    : requests_(requests), no_request_(requests.clock.NewTimer([this] { Finish({}); })) {}

void Probe::Start(const std::string& link, DoneHandler on_done) {
    on_done_ = std::move(on_done);
    const std::optional<std::string> address = ProbeAddress(link);
    if (!address) {
        // Nothing to ask: the probe ends without an answer.
        no_request_->Start(platform::Duration(0));
        return;
    }
    fetch_ = std::make_unique<Fetch>(requests_);
    auto findings = std::make_shared<ProbeFindings>();
    fetch_->Start(FetchRequest{.method = FetchRequest::Method::kHead,
                               .url = *address,
                               .any_answer = true,
                               .probe = true},
                  {[findings](const FetchAnswer& answer) -> std::optional<Outcome> {
                       *findings = FindingsOfAnswer(answer.head);
                       return Outcome::Complete();
                   },
                   nullptr,
                   [this, findings](FetchEnd end) {
                       // Only a time limit fails it; without an answer it knows nothing.
                       const bool timed_out =
                           end.outcome.IsFailed() &&
                           (end.outcome.failure().reason == Reason::kOpenTimeout ||
                            end.outcome.failure().reason == Reason::kStallTimeout);
                       if (timed_out) return Finish({end.outcome, {}});
                       Finish({Outcome::Complete(), *findings});
                   }});
}

void Probe::Finish(Result result) {
    no_request_->Stop();
    fetch_.reset();
    const DoneHandler done = std::move(on_done_);
    done(std::move(result));
}

} // namespace tarnwick::transfer
