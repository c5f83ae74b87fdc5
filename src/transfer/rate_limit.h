// A speed limit as a token bucket: allowance for bytes comes in at the rate,
// up to a burst of a quarter second's worth, and every byte taken uses up
// one. Taking more than is allowed leaves a debt that is paid off before
// anything more is allowed. A rate of 0 is no limit.
//
// The bucket reads no clock of its own: each call is given the time, a
// Clock's Now(), so that it runs the same on the steady clock and on a fake.
#pragma once

#include "platform/clock.h"

#include <cstdint>

namespace tarnwick::transfer {

class RateLimit {
public:
    // Starts full: a burst may go at once.
    explicit RateLimit(int64_t bytes_per_second = 0, platform::TimePoint now = {});

    // Takes effect at once: what was allowed until now stays allowed, up to
    // the new burst; from no limit to a limit starts with a full burst.
    void SetRate(int64_t bytes_per_second, platform::TimePoint now);
    int64_t Rate() const { return rate_; }
    bool Unlimited() const { return rate_ == 0; }
    // The most the bucket holds: a quarter second of the rate, at least one byte.
    int64_t Burst() const;

    // The bytes that may be taken now; INT64_MAX without a limit.
    int64_t Available(platform::TimePoint now);
    bool MayTake(int64_t bytes, platform::TimePoint now) { return Available(now) >= bytes; }
    void Take(int64_t bytes, platform::TimePoint now);
    // How long until `bytes` (at most a burst) may be taken, rounded up to
    // the next millisecond; 0 when they may be taken now.
    platform::Duration UntilAvailable(int64_t bytes, platform::TimePoint now);

private:
    // Adds the allowance that came in since the last call.
    void Refill(platform::TimePoint now);

    int64_t rate_ = 0;
    // Fractional, so that no allowance is lost between frequent calls.
    double tokens_ = 0;
    platform::TimePoint last_{};
};

} // namespace tarnwick::transfer
