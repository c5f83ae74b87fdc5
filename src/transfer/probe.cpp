#include "transfer/probe.h"

#include "transfer/url_helpers.h"

#include <utility>

namespace tarnwick::transfer {

Probe::Result FindingsOfAnswer(const platform::HttpAnswer& answer) {
    Probe::Result result;
    if (!FitsHeaderBuffer(answer.raw_headers)) {
        // Too long to read: only the status tells whether the file is there.
        result.findings.file_exists = answer.status == 200;
        return result;
    }
    const std::optional<HeaderFindings> found = ParseHeaders(answer.raw_headers);
    if (!found) {
        result.outcome = Outcome::Failed(Reason::kErrorAnswer,
                                         "The answer's Content-Length is not a number",
                                         answer.status);
        return result;
    }
    result.findings.last_modified = found->LastModified;
    result.findings.file_size = found->FileSize;
    result.findings.remote_file_name = found->RemoteFileName;
    result.findings.remote_file_type = found->RemoteFileType;
    result.findings.file_exists = found->FileExists;
    return result;
}

Probe::Probe(platform::HttpClient& http, platform::Clock& clock, TimeLimits limits)
    : http_(http),
      watch_(clock, limits, [this](Reason) { Finish({}); }),
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
    watch_.Opening();
    exchange_ = http_.Start(request, *this);
}

void Probe::OnAnswer(const platform::HttpAnswer& answer) { Finish(FindingsOfAnswer(answer)); }

void Probe::OnEnd(const platform::HttpEnd&) { Finish({}); }

void Probe::Finish(Result result) {
    watch_.Stop();
    no_request_->Stop();
    exchange_.reset();
    const DoneHandler done = std::move(on_done_);
    done(std::move(result));
}

} // namespace tarnwick::transfer
