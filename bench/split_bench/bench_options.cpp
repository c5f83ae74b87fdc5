#include "bench_options.h"

#include <charconv>

namespace tarnwick::bench {
namespace {

std::optional<int> PositiveNumber(const std::string& text) {
    int value = 0;
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failed != std::errc() || end != text.data() + text.size() || value < 1) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<BenchOptions> ReadOptions(const std::vector<std::string>& args, std::string& error) {
    BenchOptions options;
    bool quick = false;
    std::optional<int> rounds;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--quick") {
            quick = true;
        } else if (args[i] == "--rounds" && i + 1 < args.size()) {
            rounds = PositiveNumber(args[++i]);
            if (!rounds) {
                error = "--rounds takes a number of at least 1, not \"" + args[i] + "\"";
                return std::nullopt;
            }
        } else if (args[i] == "--only" && i + 1 < args.size() &&
                   (args[i + 1] == "paced" || args[i + 1] == "unpaced")) {
            options.only = args[++i];
        } else {
            error = "unknown argument \"" + args[i] +
                    "\" (use --rounds N, --quick and --only paced|unpaced)";
            return std::nullopt;
        }
    }
    if (quick) {
        options.file_size = BenchOptions::kQuickSize;
        options.rounds = BenchOptions::kQuickRounds;
    }
    if (rounds) options.rounds = *rounds;
    return options;
}

} // namespace tarnwick::bench
