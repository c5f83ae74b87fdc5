// The header probe of a video link: a HEAD request, sent as HTTP/1.0 past
// any cache, whose answer tells the file's size, type, suggested name, date
// and whether the server has it. Every probe starts from knowing nothing.
#pragma once

#include "common/outcome.h"
#include "platform/clock.h"
#include "platform/http_client.h"
#include "transfer/header_parse.h"
#include "transfer/time_limits.h"

#include <functional>
#include <memory>
#include <string>

namespace tarnwick::transfer {

inline constexpr const char* kNotAvailable = "Not Available";

// What a probe learned. Without an answer: no file, no size (-1).
struct ProbeFindings {
    std::string last_modified = kNotAvailable;
    float file_size = -1; // -1: the answer gave no length
    std::string remote_file_name;
    std::string remote_file_type;
    bool file_exists = false;
};

class Probe : private platform::HttpReceiver {
public:
    // Complete, or failed when the answer's length is not a number.
    struct Result {
        Outcome outcome = Outcome::Complete();
        ProbeFindings findings;
    };
    using DoneHandler = std::function<void(Result result)>;

    Probe(platform::HttpClient& http, platform::Clock& clock, TimeLimits limits = {});
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    // `on_done` is called once, from the event loop; the probe may be
    // destroyed from inside it. Destroying it before ends the request.
    void Start(const std::string& link, DoneHandler on_done);

private:
    void OnAnswer(const platform::HttpAnswer& answer) override;
    void OnBody(const char*, size_t) override {}
    void OnEnd(const platform::HttpEnd& end) override;
    void Finish(Result result);

    platform::HttpClient& http_;
    LimitWatch watch_;
    std::unique_ptr<platform::Timer> no_request_;
    std::unique_ptr<platform::HttpExchange> exchange_;
    DoneHandler on_done_;
};

// The findings of an answer's head, as the probe takes them.
Probe::Result FindingsOfAnswer(const platform::HttpAnswer& answer);

} // namespace tarnwick::transfer
