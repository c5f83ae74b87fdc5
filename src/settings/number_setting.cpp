#include "settings/number_setting.h"

#include "common/text.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace tarnwick::settings {

int64_t ClampToLimits(int64_t value, const NumberLimits& limits) {
    return std::clamp(value, limits.least, limits.most);
}

std::optional<int64_t> ParseWholeNumber(const std::string& text) {
    const std::string trimmed = text::TrimSpaces(text);
    const char* begin = trimmed.data();
    const char* end = begin + trimmed.size();
    int64_t number = 0;
    const auto [stop, error] = std::from_chars(begin, end, number);
    if (trimmed.empty() || stop != end) return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        return trimmed.front() == '-' ? std::numeric_limits<int64_t>::min()
                                      : std::numeric_limits<int64_t>::max();
    }
    if (error != std::errc()) return std::nullopt;
    return number;
}

int64_t ReadNumberSetting(const std::optional<std::string>& stored, const NumberLimits& limits) {
    const std::optional<int64_t> number = stored ? ParseWholeNumber(*stored) : std::nullopt;
    return number ? ClampToLimits(*number, limits) : limits.fallback;
}

} // namespace tarnwick::settings
