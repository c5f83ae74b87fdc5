// The header probe of a video link: a HEAD request, sent as HTTP/1.0 past
// any cache, whose answer tells whether the server has the file, its size,
// its type and the name it suggests. Every probe starts from knowing nothing,
// and what an answer does not tell stays unknown for the transfer to learn.
#pragma once

#include "common/outcome.h"
#include "platform/http_client.h"
#include "transfer/fetch.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick::transfer {

struct ProbeFindings {
    enum class Existence { kUnknown, kExists, kMissing };
    Existence existence = Existence::kUnknown;
    // The file's whole length, as an answer that shows the file tells it.
    std::optional<int64_t> size;
    // The Content-Disposition's file name, decoded; empty without one.
    std::string file_name;
    // The media type, in lower case without parameters ("video/mp4").
    std::string media_type;
    // The answer comes as a download ("Content-Disposition: attachment").
    bool attachment = false;

    bool operator==(const ProbeFindings&) const = default;
};

class Probe {
public:
    // Complete with what the answer told; failed with a time limit, the
    // findings then unknown, when no answer came in time.
    struct Result {
        Outcome outcome = Outcome::Complete();
        ProbeFindings findings;
    };
    using DoneHandler = std::function<void(Result result)>;

    explicit Probe(RequestContext& requests);
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    // `on_done` is called once, from the event loop; the probe may be
    // destroyed from inside it. Destroying it before ends the request. A
    // request refused by its reach tells nothing, as one that got no answer.
    void Start(const std::string& link, DoneHandler on_done);

private:
    void Finish(Result result);

    RequestContext& requests_;
    std::unique_ptr<platform::Timer> no_request_;
    std::unique_ptr<Fetch> fetch_;
    DoneHandler on_done_;
};

// What an answer's head tells of the file. 404 and 410 mean it is missing,
// whatever the reason phrase or version; a success status means it is there;
// any other answer (a HEAD refused with 403, 405 or 501, an error) tells
// nothing. A header block past kHeaderBlockLimit is read for its status only.
ProbeFindings FindingsOfAnswer(const platform::HttpAnswer& answer);

} // namespace tarnwick::transfer
