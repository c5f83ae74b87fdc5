// What the user prefers of a video that comes in several qualities: a cap
// on the picture's height, and the container it is kept in.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tarnwick::resolve {

enum class PreferredContainer : uint8_t {
    kMp4,  // MP4 where the page offers it, and pairs joined into MP4 where they fit
    kMkv,  // pairs joined into MKV
    kBest, // the best picture, whatever its container
};

struct QualityPreferences {
    // The tallest picture wanted, in lines; 0 takes the tallest there is.
    int64_t max_height = 0;
    PreferredContainer container = PreferredContainer::kMp4;
    bool operator==(const QualityPreferences&) const = default;
};

// The tallest height a cap lets through among `heights`: the cap itself
// where some height is at or below it, else the shortest height above it.
// None without a cap or without heights: everything passes.
std::optional<int64_t> CappedHeight(const std::vector<int64_t>& heights, int64_t max_height);

} // namespace tarnwick::resolve
