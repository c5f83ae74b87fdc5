// Fetches a video page into memory for the site extractors. An answer with
// an error status is a page like any other; only a request that gets no
// answer, breaks off, passes a time limit or passes the size limit fails.
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

namespace tarnwick::transfer {

class PageFetch : private platform::HttpReceiver {
public:
    static constexpr int64_t kSizeLimit = 64LL * 1024 * 1024;

    struct Result {
        Outcome outcome = Outcome::Cancelled();
        int http_status = 0;
        std::string page; // when complete
    };
    // The page's bytes so far, and its length when the answer gave one.
    using ProgressHandler = std::function<void(int64_t received, std::optional<int64_t> size)>;
    using DoneHandler = std::function<void(Result result)>;

    PageFetch(platform::HttpClient& http, platform::Clock& clock, TimeLimits limits = {});
    PageFetch(const PageFetch&) = delete;
    PageFetch& operator=(const PageFetch&) = delete;

    // The handlers are called from the event loop; `on_done` once, last, and
    // the fetch may be destroyed from inside it. Destroying the fetch before
    // ends the request at once and calls nothing.
    void Start(const std::string& address, ProgressHandler on_progress, DoneHandler on_done);

private:
    void OnAnswer(const platform::HttpAnswer& answer) override;
    void OnBody(const char* data, size_t size) override;
    void OnEnd(const platform::HttpEnd& end) override;
    void Fail(Reason reason, std::string detail);
    void Finish(Outcome outcome);

    platform::HttpClient& http_;
    LimitWatch watch_;
    std::unique_ptr<platform::HttpExchange> exchange_;
    ProgressHandler on_progress_;
    DoneHandler on_done_;
    int http_status_ = 0;
    std::optional<int64_t> size_;
    std::string page_;
};

} // namespace tarnwick::transfer
