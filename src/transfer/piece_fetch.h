// Fetches one small resource whole into memory: a playlist, a key, a piece
// of a streamed video. The request keeps the step's time limits, and its body
// may not pass a bound; an error status, a broken connection or a body cut
// short fail it with their reason.
#pragma once

#include "common/outcome.h"
#include "platform/clock.h"
#include "platform/http_client.h"
#include "transfer/time_limits.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::transfer {

struct PieceRequest {
    std::string url;
    // Only these bytes of the resource, when given: `length` from `offset`.
    struct Range {
        int64_t offset = 0;
        int64_t length = 0;
    };
    std::optional<Range> range = std::nullopt;
    // Further request header lines, "Name: value" each.
    std::vector<std::string> headers = {};
    // The most bytes the body may have.
    int64_t limit = 64 << 20;
};

class PieceFetch : private platform::HttpReceiver {
public:
    struct Result {
        // Complete, or failed with the reason.
        Outcome outcome = Outcome::Cancelled();
        std::string body;
        // The address that answered, after redirects.
        std::string url;
        std::string content_type; // its media type, as MediaTypeField tells it
        bool began_public = false;
    };
    using DoneHandler = std::function<void(Result result)>;
    // The detail of a failure for a body over the limit.
    static constexpr const char* kTooLarge = "the answer is too large";

    PieceFetch(platform::HttpClient& http, platform::Clock& clock, TimeLimits limits);
    ~PieceFetch() override;
    PieceFetch(const PieceFetch&) = delete;
    PieceFetch& operator=(const PieceFetch&) = delete;

    void SetReach(platform::HttpRequest::Reach reach) { reach_ = reach; }
    void SetUserAgent(std::string user_agent) { user_agent_ = std::move(user_agent); }
    // `on_done` is called once, from the event loop; the fetch may be
    // destroyed from inside it. Destroying it before ends the request.
    void Start(PieceRequest request, DoneHandler on_done);

private:
    void OnAnswer(const platform::HttpAnswer& answer) override;
    void OnBody(const char* data, size_t size) override;
    void OnEnd(const platform::HttpEnd& end) override;
    void Finish(Outcome outcome);

    platform::HttpClient& http_;
    LimitWatch watch_;
    platform::HttpRequest::Reach reach_ = platform::HttpRequest::Reach::kAnywhere;
    std::string user_agent_;
    PieceRequest request_;
    DoneHandler on_done_;
    std::unique_ptr<platform::HttpExchange> exchange_;
    std::optional<int64_t> length_;
    Result result_;
};

} // namespace tarnwick::transfer
