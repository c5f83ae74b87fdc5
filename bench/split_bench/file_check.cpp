#include "file_check.h"

#include "support/loopback_server.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace tarnwick::bench {
namespace {

constexpr uint64_t kWindow = 4096;
constexpr int kEvenWindows = 64;
constexpr int kDrawnWindows = 64;
constexpr int kMostParts = 8;

// Where the windows begin: evenly from the first byte to the last, across
// each cut of an even split, and at drawn places.
std::vector<uint64_t> WindowStarts(uint64_t size) {
    std::vector<uint64_t> starts;
    if (size <= kWindow) return {0};
    const uint64_t last_start = size - kWindow;
    for (int i = 0; i < kEvenWindows; ++i) {
        starts.push_back(last_start * static_cast<uint64_t>(i) / (kEvenWindows - 1));
    }
    for (uint64_t parts = 2; parts <= kMostParts; ++parts) {
        for (uint64_t cut = 1; cut < parts; ++cut) {
            starts.push_back(std::min(last_start, size * cut / parts - kWindow / 2));
        }
    }
    uint64_t seed = 0x9e3779b97f4a7c15ull;
    for (int i = 0; i < kDrawnWindows; ++i) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        starts.push_back((seed >> 11) % (last_start + 1));
    }
    return starts;
}

std::optional<std::string> WindowProblem(int fd, uint64_t start, uint64_t count) {
    std::vector<char> bytes(count);
    const ssize_t got = ::pread(fd, bytes.data(), count, static_cast<off_t>(start));
    if (got != static_cast<ssize_t>(count)) return "cannot read at byte " + std::to_string(start);
    for (uint64_t i = 0; i < count; ++i) {
        if (bytes[i] != test_support::GeneratedByte(start + i)) {
            return "wrong byte at " + std::to_string(start + i);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> FileProblem(const std::string& path, uint64_t size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "no file at " + path;
    struct stat status {};
    std::optional<std::string> problem;
    if (::fstat(fd, &status) != 0 || static_cast<uint64_t>(status.st_size) != size) {
        problem = std::to_string(status.st_size) + " bytes, not " + std::to_string(size);
    }
    for (const uint64_t start : WindowStarts(size)) {
        if (problem) break;
        problem = WindowProblem(fd, start, std::min(kWindow, size));
    }
    ::close(fd);
    return problem;
}

} // namespace tarnwick::bench
