#include "resolve/quality_preferences.h"

#include <algorithm>

namespace tarnwick::resolve {

std::optional<int64_t> CappedHeight(const std::vector<int64_t>& heights, int64_t max_height) {
    if (max_height <= 0 || heights.empty()) return std::nullopt;
    if (std::any_of(heights.begin(), heights.end(), [&](int64_t h) { return h <= max_height; }))
        return max_height;
    return *std::min_element(heights.begin(), heights.end());
}

} // namespace tarnwick::resolve
