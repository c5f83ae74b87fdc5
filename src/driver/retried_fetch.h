// A piece fetched whole, tried again after a failure: up to three more
// times, after 1, 2 and 4 seconds. A refused address and a piece too large
// are not tried again; the last failure is the one told.
#pragma once

#include "platform/clock.h"
#include "platform/http_client.h"
#include "transfer/piece_fetch.h"
#include "transfer/time_limits.h"

#include <functional>
#include <memory>
#include <string>

namespace tarnwick::driver {

// How each request of a streamed video goes out.
struct PieceRequests {
    platform::HttpClient& http;
    platform::Clock& clock;
    transfer::TimeLimits limits;
    platform::HttpRequest::Reach reach = platform::HttpRequest::Reach::kAnywhere;
    std::string user_agent = {};
};

class RetriedFetch {
public:
    static constexpr int kRetries = 3;
    using DoneHandler = transfer::PieceFetch::DoneHandler;

    explicit RetriedFetch(const PieceRequests& requests);
    RetriedFetch(const RetriedFetch&) = delete;
    RetriedFetch& operator=(const RetriedFetch&) = delete;

    // `on_done` is called once, from the event loop, with the first success
    // or the last failure; the fetch may be destroyed from inside it.
    void Start(transfer::PieceRequest request, DoneHandler on_done);

private:
    void Try();
    void OnResult(transfer::PieceFetch::Result result);

    const PieceRequests& requests_;
    transfer::PieceRequest request_;
    DoneHandler on_done_;
    int retries_ = 0;
    std::unique_ptr<transfer::PieceFetch> fetch_;
    std::unique_ptr<platform::Timer> timer_;
};

} // namespace tarnwick::driver
