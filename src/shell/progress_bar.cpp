#include "shell/progress_bar.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tarnwick::shell {
double RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff > 0.5) return floor + 1.0;
    if (diff < 0.5) return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

ProgressBarLayout LayoutProgressBar(int32_t percent, int left, int right) {
    ProgressBarLayout layout;
    layout.percent = std::min(std::max(percent, 0), 100);
    layout.text = std::to_string(layout.percent) + "%";
    layout.bar_left = left;
    const int end = static_cast<int>(RoundHalfEven(layout.percent / 100.0 * (right - left) + left));
    layout.bar_right = std::max(left, end - 1);
    return layout;
}

} // namespace tarnwick::shell
