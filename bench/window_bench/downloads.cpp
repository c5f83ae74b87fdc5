#include "downloads.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>

#include <filesystem>
#include <stdexcept>

extern char** environ;

namespace tarnwick::bench {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kStartLimit{30000};
constexpr milliseconds kTransferLimit{300000};
constexpr milliseconds kAnswerLimit{10000};

// True when `file` holds `size` bytes; removes it either way.
bool TakeAway(const std::string& file, uint64_t size) {
    std::error_code error;
    const bool whole = std::filesystem::file_size(file, error) == size && !error;
    std::filesystem::remove(file, error);
    return whole;
}

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

int64_t Ns(const timespec& time) {
    return static_cast<int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// When `file` was last written to, on the monotonic clock: its modification
// time, which the file system keeps to a few milliseconds. 0 when unknown.
int64_t LastWrittenNs(const std::string& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) return 0;
    timespec real{};
    ::clock_gettime(CLOCK_REALTIME, &real);
    return MonotonicNs() - (Ns(real) - Ns(status.st_mtim));
}

// Runs `words`, its program found on the PATH, to its end and adds its
// processor time to `cpu_seconds`; whether it ended with status 0.
bool RunChild(std::vector<std::string> words, double& cpu_seconds) {
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        throw std::runtime_error(words[0] + " did not start (is its package installed?)");
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    cpu_seconds += Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

Timed CurlDownload(const std::string& url, const std::string& file, uint64_t size, bool then_sync) {
    const int64_t start = MonotonicNs();
    double cpu_seconds = 0;
    bool ended_well =
        RunChild({"curl", "--silent", "--show-error", "--output", file, url}, cpu_seconds);
    if (ended_well && then_sync) ended_well = RunChild({"sync", file}, cpu_seconds);
    const int64_t end = MonotonicNs();
    Timed timed;
    if (TakeAway(file, size) && ended_well) {
        timed.seconds = static_cast<double>(end - start) / 1e9;
        timed.cpu_seconds = cpu_seconds;
    }
    return timed;
}

ProgramTimed ProgramDownload(BenchContext& bench, ProgramUnderTest& program, DownloadWatch& watch,
                             EventWait& wait, const std::string& url, uint64_t size, bool ping) {
    watch.Clear();
    program.HandOver({url});
    ProgramTimed timed;
    if (!wait.Until([&] { return watch.TemporaryCreatedNs() != 0; }, kStartLimit)) return timed;
    const double cpu_start = program.CpuSeconds();
    const int64_t drawings_start = bench.x.Drawings();
    bench.x.Pings().Clear();
    wait.SetPinging(ping);
    const bool finished = wait.Until([&] { return watch.FinishedNs() != 0; }, kTransferLimit);
    wait.SetPinging(false);
    const double cpu_end = program.CpuSeconds();
    timed.drawings = bench.x.Drawings() - drawings_start;
    program.LaunchesEnded();
    if (!finished) return timed;
    const int64_t last_write = LastWrittenNs(watch.FinishedFile());
    if (!TakeAway(watch.FinishedFile(), size)) return timed;
    timed.seconds = static_cast<double>(watch.FinishedNs() - watch.TemporaryCreatedNs()) / 1e9;
    timed.cpu_seconds = cpu_end - cpu_start;
    timed.ending_ms = static_cast<double>(watch.FinishedNs() - last_write) / 1e6;
    if (ping) {
        // A ping sent just before the end may wait for what the end holds up.
        wait.Until([&] { return bench.x.Pings().AllAnswered(); }, kAnswerLimit);
        const int64_t now = MonotonicNs();
        timed.writing_waits_ms = bench.x.Pings().WaitsMs(now, 0, last_write);
        timed.ending_waits_ms = bench.x.Pings().WaitsMs(now, last_write);
    }
    return timed;
}

} // namespace tarnwick::bench
