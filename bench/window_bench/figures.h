// The figures the benchmark measured, each beside its target, printed
// together at the end; and the statistics they are made of.
#pragma once

#include <string>
#include <vector>

namespace tarnwick::bench {

// printf-style text.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The median, and the value at `fraction` (0..1) of the sorted values by
// nearest rank; -1 for no values.
double Median(std::vector<double> values);
double Percentile(std::vector<double> values, double fraction);

enum class Verdict { kNone, kMet, kMissed };

class Summary {
public:
    // One figure: what it is, the value measured, and its target (empty for
    // a figure that has none).
    void Add(const std::string& figure, const std::string& value, const std::string& target = "",
             Verdict verdict = Verdict::kNone);
    void Print() const;

private:
    struct Row {
        std::string figure;
        std::string value;
        std::string target;
        Verdict verdict;
    };
    std::vector<Row> rows_;
};

inline Verdict VerdictOf(bool met) { return met ? Verdict::kMet : Verdict::kMissed; }

} // namespace tarnwick::bench
