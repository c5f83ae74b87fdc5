#include "transfer/probe.h"

#include "transfer/header_fields.h"
#include "transfer/url_helpers.h"

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
    return findings;
}

Probe::Probe(platform::HttpClient& http, platform::Clock& clock, TimeLimits limits)
    : http_(http),
      watch_(clock, limits,
             [this](Reason reason) {
                 Finish({Outcome::Failed(reason), {}});
             }),
      no_request_(clock.NewTimer([this] { Finish({}); })) {}

void Probe::Start(const std::string& link, DoneHandler on_done) {
    on_done_ = std::move(on_done);
    const std::optional<std::string> address = ProbeAddress(link);
    if (!address) {
        // Nothing to ask: the probe ends without an answer.
        no_request_->Start(platform::Duration(0));
        return;
    }
    platform::HttpRequest request;
    request.method = platform::HttpRequest::Method::kHead;
    request.url = *address;
    request.http10 = true;
    request.bypass_caches = true;
    request.reach = reach_;
    watch_.Opening();
    exchange_ = http_.Start(request, *this);
}

void Probe::OnAnswer(const platform::HttpAnswer& answer) {
    Finish({Outcome::Complete(), FindingsOfAnswer(answer), answer.began_public});
}

void Probe::OnEnd(const platform::HttpEnd&) { Finish({}); }

void Probe::Finish(Result result) {
    watch_.Stop();
    no_request_->Stop();
    exchange_.reset();
    const DoneHandler done = std::move(on_done_);
    done(std::move(result));
}

} // namespace tarnwick::transfer
