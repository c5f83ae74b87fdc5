#include "transfer/rate_limit.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace tarnwick::transfer {
namespace {

constexpr int64_t kBurstsPerSecond = 4;
constexpr int64_t kUnlimited = std::numeric_limits<int64_t>::max();

} // namespace

RateLimit::RateLimit(int64_t bytes_per_second, platform::TimePoint now)
    : rate_(std::max<int64_t>(bytes_per_second, 0)), last_(now) {
    tokens_ = static_cast<double>(Burst());
}

int64_t RateLimit::Burst() const { return std::max<int64_t>(rate_ / kBurstsPerSecond, 1); }

void RateLimit::SetRate(int64_t bytes_per_second, platform::TimePoint now) {
    const bool was_unlimited = Unlimited();
    Refill(now);
    rate_ = std::max<int64_t>(bytes_per_second, 0);
    const auto burst = static_cast<double>(Burst());
    tokens_ = was_unlimited ? burst : std::min(tokens_, burst);
}

void RateLimit::Refill(platform::TimePoint now) {
    if (now <= last_) return;
    const std::chrono::duration<double> elapsed = now - last_;
    last_ = now;
    if (Unlimited()) return;
    const double gained = elapsed.count() * static_cast<double>(rate_);
    tokens_ = std::min(tokens_ + gained, static_cast<double>(Burst()));
}

int64_t RateLimit::Available(platform::TimePoint now) {
    if (Unlimited()) return kUnlimited;
    Refill(now);
    // Not a byte short of what UntilAvailable promised to the millisecond.
    constexpr double kRounding = 1e-6;
    return tokens_ > 0 ? static_cast<int64_t>(std::floor(tokens_ + kRounding)) : 0;
}

void RateLimit::Take(int64_t bytes, platform::TimePoint now) {
    if (Unlimited()) return;
    Refill(now);
    tokens_ -= static_cast<double>(bytes);
}

platform::Duration RateLimit::UntilAvailable(int64_t bytes, platform::TimePoint now) {
    if (Unlimited()) return platform::Duration(0);
    Refill(now);
    const double missing = static_cast<double>(std::min(bytes, Burst())) - tokens_;
    if (missing <= 0) return platform::Duration(0);
    const double milliseconds = std::ceil(missing * 1000.0 / static_cast<double>(rate_));
    return platform::Duration(static_cast<platform::Duration::rep>(milliseconds));
}

} // namespace tarnwick::transfer
