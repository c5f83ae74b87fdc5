#include "figures.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace tarnwick::bench {

std::string Format(const char* format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

double Median(std::vector<double> values) { return Percentile(std::move(values), 0.5); }

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(fraction * static_cast<double>(values.size()));
    const size_t index = static_cast<size_t>(std::max(rank, 1.0)) - 1;
    return values[std::min(index, values.size() - 1)];
}

void Summary::Add(const std::string& figure, const std::string& value, const std::string& target,
                  Verdict verdict) {
    rows_.push_back({figure, value, target, verdict});
}

void Summary::Print() const {
    std::printf("\n%-58s %-30s %-24s %s\n", "figure", "measured", "target", "");
    for (const Row& row : rows_) {
        const char* verdict = row.verdict == Verdict::kMet      ? "met"
                              : row.verdict == Verdict::kMissed ? "MISSED"
                                                                : "";
        std::printf("%-58s %-30s %-24s %s\n", row.figure.c_str(), row.value.c_str(),
                    row.target.c_str(), verdict);
    }
    std::fflush(stdout);
}

} // namespace tarnwick::bench
