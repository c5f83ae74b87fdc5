// The benchmark's command line: how many rounds, and how large a file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::bench {

struct BenchOptions {
    static constexpr uint64_t kFullSize = 512ull * 1024 * 1024;
    static constexpr uint64_t kQuickSize = 64ull * 1024 * 1024;
    static constexpr int kFullRounds = 5;
    static constexpr int kQuickRounds = 2;

    int rounds = kFullRounds;
    uint64_t file_size = kFullSize;
    // The one group of contenders to run ("paced" or "unpaced"); empty for all.
    std::string only;
};

// Reads "--rounds N", "--quick" (a smaller file and fewer rounds, unless
// --rounds says how many) and "--only paced|unpaced" in any order; none, with
// `error` set, for anything else.
std::optional<BenchOptions> ReadOptions(const std::vector<std::string>& args, std::string& error);

} // namespace tarnwick::bench
