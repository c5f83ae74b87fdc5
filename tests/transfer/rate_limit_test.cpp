#include "transfer/rate_limit.h"

#include "fakes/fake_clock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace tarnwick::transfer {
namespace {

using platform::Duration;

// Takes all the bucket allows every `step` for `span`: what a reader held
// only by the limit gets.
int64_t Drain(RateLimit& limit, fakes::FakeClock& clock, Duration span, Duration step) {
    int64_t taken = 0;
    for (Duration passed{0}; passed <= span; passed += step) {
        if (passed.count() > 0) clock.Advance(step);
        const int64_t allowed = limit.Available(clock.Now());
        limit.Take(allowed, clock.Now());
        taken += allowed;
    }
    return taken;
}

TEST(RateLimitTest, AllowsABurstThenTheRateWhateverTheStep) {
    for (const int64_t rate : {int64_t{1024}, int64_t{200 * 1024}, int64_t{2 * 1024 * 1024}}) {
        for (const Duration step : {Duration(1), Duration(40), Duration(250)}) {
            fakes::FakeClock clock;
            RateLimit limit(rate, clock.Now());
            EXPECT_EQ(limit.Burst(), rate / 4);
            EXPECT_EQ(Drain(limit, clock, Duration(10'000), step), rate / 4 + 10 * rate)
                << rate << " B/s, every " << step.count() << " ms";
        }
    }
}

TEST(RateLimitTest, AnIdleBucketHoldsNoMoreThanABurst) {
    fakes::FakeClock clock;
    RateLimit limit(4096, clock.Now());
    clock.Advance(Duration(60'000));
    EXPECT_EQ(limit.Available(clock.Now()), 1024);
    EXPECT_TRUE(limit.MayTake(1024, clock.Now()));
    EXPECT_FALSE(limit.MayTake(1025, clock.Now()));
}

TEST(RateLimitTest, ARateChangeTakesEffectAtOnce) {
    fakes::FakeClock clock;
    RateLimit limit(4096, clock.Now());
    EXPECT_EQ(Drain(limit, clock, Duration(1000), Duration(10)), 1024 + 4096);
    limit.SetRate(40960, clock.Now());
    EXPECT_EQ(Drain(limit, clock, Duration(1000), Duration(10)), 40960) << "raised";

    clock.Advance(Duration(1000)); // a full burst of the higher rate gathers
    limit.SetRate(4096, clock.Now());
    EXPECT_EQ(limit.Available(clock.Now()), 1024) << "lowered: cut to the new burst";
    limit.Take(1024, clock.Now());
    EXPECT_EQ(Drain(limit, clock, Duration(500), Duration(10)), 2048);
}

TEST(RateLimitTest, TellsHowLongUntilBytesAreAllowed) {
    fakes::FakeClock clock;
    RateLimit limit(4096, clock.Now());
    EXPECT_EQ(limit.UntilAvailable(1024, clock.Now()), Duration(0));
    limit.Take(1024, clock.Now());
    EXPECT_EQ(limit.UntilAvailable(512, clock.Now()), Duration(125));
    EXPECT_EQ(limit.UntilAvailable(3, clock.Now()), Duration(1)) << "rounded up";
    EXPECT_EQ(limit.UntilAvailable(1 << 20, clock.Now()), Duration(250)) << "a burst at most";
    clock.Advance(Duration(124));
    EXPECT_FALSE(limit.MayTake(512, clock.Now()));
    clock.Advance(Duration(1));
    EXPECT_TRUE(limit.MayTake(512, clock.Now()));

    // Taking more than allowed is a debt paid off first.
    limit.Take(512 + 2048, clock.Now());
    EXPECT_EQ(limit.Available(clock.Now()), 0);
    EXPECT_EQ(limit.UntilAvailable(512, clock.Now()), Duration(625));
}

TEST(RateLimitTest, NoLimitAllowsEverythingAndALimitSetLaterStartsFull) {
    fakes::FakeClock clock;
    RateLimit limit(0, clock.Now());
    EXPECT_TRUE(limit.Unlimited());
    limit.Take(int64_t{1} << 40, clock.Now());
    EXPECT_EQ(limit.Available(clock.Now()), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(limit.UntilAvailable(int64_t{1} << 40, clock.Now()), Duration(0));

    clock.Advance(Duration(5000));
    limit.SetRate(8192, clock.Now());
    EXPECT_EQ(limit.Available(clock.Now()), 2048);
    limit.SetRate(0, clock.Now());
    EXPECT_EQ(limit.Available(clock.Now()), std::numeric_limits<int64_t>::max());
}

} // namespace
} // namespace tarnwick::transfer
