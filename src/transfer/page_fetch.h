// Fetches a video page into memory for the site extractors, or hands its
// bytes on as they come. An answer with an error status is a page like any
// other; only a request that gets no answer, breaks off, passes a time limit,
// comes at under the least rate, passes the size limit or is refused by its
// reach fails. A page whose answer turns out to be a video can be handed
// over, unread, to become the video's transfer.
#pragma once

#include "common/outcome.h"
#include "platform/clock.h"
#include "platform/http_client.h"
#include "transfer/rate_watch.h"
#include "transfer/time_limits.h"

#include <cassert>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick::transfer {

class PageFetch : private platform::HttpReceiver {
public:
    static constexpr int64_t kSizeLimit = 64LL * 1024 * 1024;
    // A page that trickles in at under 1 KiB a second for a minute ends.
    static constexpr LeastRate kLeastRate = {1024, platform::Duration(60000)};

    struct Result {
        Outcome outcome = Outcome::Cancelled();
        int http_status = 0;
        // The address that answered, after redirects; empty when not known.
        std::string address;
        std::string page; // when complete and not streamed
        // The exchange whose answer is a video, with that answer, when handed over.
        std::unique_ptr<platform::HttpExchange> video;
        platform::HttpAnswer video_answer;
        // Whether the exchange began on a public address.
        bool began_public = false;
    };
    // The page's bytes so far, and its length when the answer gave one.
    using ProgressHandler = std::function<void(int64_t received, std::optional<int64_t> size)>;
    using DoneHandler = std::function<void(Result result)>;
    using BlockHandler = std::function<void(const char* data, size_t size)>;

    PageFetch(platform::HttpClient& http, platform::Clock& clock, TimeLimits limits = {});
    PageFetch(const PageFetch&) = delete;
    PageFetch& operator=(const PageFetch&) = delete;

    // The handlers are called from the event loop; `on_done` once, last, and
    // the fetch may be destroyed from inside it. Destroying the fetch before
    // ends the request at once and calls nothing.
    void Start(const std::string& address, ProgressHandler on_progress, DoneHandler on_done);
    // Before Start: the page's bytes go to `on_block` as they come, and are
    // not kept.
    void StreamTo(BlockHandler on_block) { on_block_ = std::move(on_block); }
    // Before Start: a success answer of a video type (video/...) ends the
    // fetch at once, complete, with the exchange in the result.
    void HandOverVideos() { hand_over_videos_ = true; }
    // Before Start: where the request may go.
    void SetReach(platform::HttpRequest::Reach reach) {
        assert(exchange_ == nullptr && "the reach is set before the request starts");
        reach_ = reach;
    }

private:
    void OnAnswer(const platform::HttpAnswer& answer) override;
    void OnBody(const char* data, size_t size) override;
    void OnEnd(const platform::HttpEnd& end) override;
    void Fail(Reason reason, std::string detail);
    void Finish(Outcome outcome);

    platform::HttpClient& http_;
    LimitWatch watch_;
    RateWatch rate_;
    std::unique_ptr<platform::HttpExchange> exchange_;
    ProgressHandler on_progress_;
    DoneHandler on_done_;
    BlockHandler on_block_;
    bool hand_over_videos_ = false;
    platform::HttpRequest::Reach reach_ = platform::HttpRequest::Reach::kAnywhere;
    bool began_public_ = false;
    int64_t received_ = 0;
    int http_status_ = 0;
    std::string answered_from_;
    std::optional<int64_t> size_;
    std::string page_;
};

} // namespace tarnwick::transfer
