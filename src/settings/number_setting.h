// The stored settings that are whole numbers within limits: how many
// connections one download opens, how many items download at once, and the
// speed limit. Each is stored as decimal text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::settings {

struct NumberLimits {
    int64_t least;
    int64_t most;
    // What a missing or unreadable value reads as.
    int64_t fallback;
};

inline constexpr NumberLimits kConnectionsLimits{1, 16, 4};
inline constexpr NumberLimits kDownloadsAtOnceLimits{1, 4, 1};
// In KB/s; 0 is no limit.
inline constexpr NumberLimits kSpeedLimitLimits{0, 10'000'000, 0};

// The value brought within the limits.
int64_t ClampToLimits(int64_t value, const NumberLimits& limits);

// A whole decimal number, blanks around it allowed; one too large to hold
// becomes the largest (or smallest) there is. Nothing for any other text.
std::optional<int64_t> ParseWholeNumber(const std::string& text);

// A stored whole decimal number, blanks around it allowed, is brought within
// the limits (a number too large to hold counts as beyond them). Anything
// else, or nothing stored, reads as the fallback.
int64_t ReadNumberSetting(const std::optional<std::string>& stored, const NumberLimits& limits);

} // namespace tarnwick::settings
