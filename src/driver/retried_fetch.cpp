#include "driver/retried_fetch.h"

#include <chrono>
#include <utility>

namespace tarnwick::driver {
namespace {

bool IsWorthAnotherTry(const Outcome& outcome) {
    if (!outcome.IsFailed()) return false;
    const Failure& failure = outcome.failure();
    return failure.reason != Reason::kPrivateAddress &&
           failure.detail != transfer::PieceFetch::kTooLarge;
}

} // namespace

RetriedFetch::RetriedFetch(const PieceRequests& requests) : requests_(requests) {}

void RetriedFetch::Start(transfer::PieceRequest request, DoneHandler on_done) {
    request_ = std::move(request);
    on_done_ = std::move(on_done);
    timer_ = requests_.clock.NewTimer([this] { Try(); });
    Try();
}

void RetriedFetch::Try() {
    fetch_ =
        std::make_unique<transfer::PieceFetch>(requests_.http, requests_.clock, requests_.limits);
    fetch_->SetReach(requests_.reach);
    fetch_->SetUserAgent(requests_.user_agent);
    fetch_->Start(request_,
                  [this](transfer::PieceFetch::Result result) { OnResult(std::move(result)); });
}

void RetriedFetch::OnResult(transfer::PieceFetch::Result result) {
    fetch_.reset();
    if (retries_ < kRetries && IsWorthAnotherTry(result.outcome)) {
        timer_->Start(std::chrono::seconds(1 << retries_));
        ++retries_;
        return;
    }
    const DoneHandler done = std::move(on_done_);
    done(std::move(result));
}

} // namespace tarnwick::driver
