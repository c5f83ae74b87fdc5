#include "figures.h"

#include <algorithm>
#include <cstdio>

namespace tarnwick::bench {

std::optional<double> Median(std::vector<double> values) {
    if (values.empty()) return std::nullopt;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    if (values.size() % 2 == 1) return values[middle];
    return (values[middle - 1] + values[middle]) / 2;
}

double MegabytesPerSecond(uint64_t bytes, double seconds) {
    return static_cast<double>(bytes) / 1e6 / seconds;
}

std::string FigureLine(const std::string& name, std::optional<double> median_seconds,
                       uint64_t bytes, int failures) {
    char line[256];
    if (!median_seconds) {
        std::snprintf(line, sizeof line, "  %-34s no run finished (%d failed)", name.c_str(),
                      failures);
        return line;
    }
    std::snprintf(line, sizeof line, "  %-34s %8.2f s %8.1f MB/s", name.c_str(), *median_seconds,
                  MegabytesPerSecond(bytes, *median_seconds));
    std::string text = line;
    if (failures > 0) text += "  (" + std::to_string(failures) + " failed, not counted)";
    return text;
}

std::string RatioLines(const std::string& label, std::optional<double> first_speed,
                       std::optional<double> second_speed, std::optional<double> least) {
    if (!first_speed || !second_speed || *second_speed <= 0) return label + ": no figure";
    const double ratio = *first_speed / *second_speed;
    char line[256];
    std::snprintf(line, sizeof line, "%s: %.2f x", label.c_str(), ratio);
    std::string text = line;
    if (least) {
        std::snprintf(line, sizeof line, "\n  target >= %.2f x: %s", *least,
                      ratio >= *least ? "met" : "NOT met");
        text += line;
    }
    return text;
}

} // namespace tarnwick::bench
