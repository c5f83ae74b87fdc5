// The figures the benchmark prints: medians of each contender's runs, and
// the ratios of two contenders' speeds against their targets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::bench {

// The middle value (the mean of the two middle ones for an even count);
// none without values.
std::optional<double> Median(std::vector<double> values);

// Megabytes (10^6 bytes) per second.
double MegabytesPerSecond(uint64_t bytes, double seconds);

// "  NAME   S s   R MB/s" with the median time and the speed it gives, and
// how many runs failed when any did; "no run finished" without a median.
std::string FigureLine(const std::string& name, std::optional<double> median_seconds,
                       uint64_t bytes, int failures);

// "LABEL: R x", R the first speed over the second, followed on a line of its
// own by how it stands against `least` when there is a target. Speeds that
// are missing give "LABEL: no figure".
std::string RatioLines(const std::string& label, std::optional<double> first_speed,
                       std::optional<double> second_speed, std::optional<double> least);

} // namespace tarnwick::bench
