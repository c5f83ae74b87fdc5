#include "shell/progress_bar.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tarnwick::shell {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Accepts [blanks][sign][blanks]digits[.digits][blanks], also ".5" and "5.".
bool ReadsAsNumber(std::string_view text) {
    size_t i = 0;
    const auto skip_blanks = [&] {
        while (i < text.size() && text[i] == ' ') ++i;
    };
    skip_blanks();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
        skip_blanks();
    }
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    skip_blanks();
    return digits > 0 && i == text.size();
}

} // namespace

double RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff > 0.5) return floor + 1.0;
    if (diff < 0.5) return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

std::optional<int32_t> ProgressValueOf(std::string_view status) {
    if (!ReadsAsNumber(status)) return std::nullopt;
    std::string digits;
    for (const char c : status) {
        if (c != ' ') digits.push_back(c);
    }
    const double rounded = RoundHalfEven(std::strtod(digits.c_str(), nullptr));
    if (rounded < std::numeric_limits<int32_t>::min() ||
        rounded > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(rounded);
}

ProgressBarLayout LayoutProgressBar(int32_t percent, int left, int right, bool selected) {
    ProgressBarLayout layout;
    layout.percent = std::min(std::max(percent, 0), 100);
    layout.text = std::to_string(layout.percent) + "%";
    layout.bar_left = left;
    int end = right;
    if (!selected) {
        end = static_cast<int>(RoundHalfEven(layout.percent / 100.0 * (right - left) + left));
    }
    layout.bar_right = std::max(left, end - 1);
    return layout;
}

} // namespace tarnwick::shell
