// The figures of a transfer: the program's rate against `curl -o FILE`
// followed by `sync FILE` in turns, its processor time per GB at full speed and paced, the GUI
// thread's answers to pings during a full-speed transfer, and its rest afterwards.
#include "downloads.h"
#include "measurements.h"

#include <cstdio>
#include <stdexcept>

namespace tarnwick::bench {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kIdleSpan{3000};

double Megabytes(uint64_t bytes) { return static_cast<double>(bytes) / 1e6; }
double Gigabytes(uint64_t bytes) { return static_cast<double>(bytes) / 1e9; }

// What the rounds of full-speed transfers gathered.
struct TransferRounds {
    void Add(const ProgramTimed& own, const Timed& curl) {
        program_rates.push_back(Megabytes(kFullSpeedSize) / own.seconds);
        program_cpu.push_back(own.cpu_seconds / Gigabytes(kFullSpeedSize));
        curl_rates.push_back(Megabytes(kFullSpeedSize) / curl.seconds);
        curl_cpu.push_back(curl.cpu_seconds / Gigabytes(kFullSpeedSize));
        writing_waits.insert(writing_waits.end(), own.writing_waits_ms.begin(),
                             own.writing_waits_ms.end());
        ending_waits.insert(ending_waits.end(), own.ending_waits_ms.begin(),
                            own.ending_waits_ms.end());
        endings_ms.push_back(own.ending_ms);
        drawings_per_s.push_back(static_cast<double>(own.drawings) / own.seconds);
    }

    std::vector<double> program_rates, program_cpu, curl_rates, curl_cpu;
    std::vector<double> writing_waits, ending_waits, endings_ms, drawings_per_s;
};

void ReportTransfer(BenchContext& bench, const Renderer& renderer, const TransferRounds& rounds) {
    const double own_rate = Median(rounds.program_rates);
    const double curl_rate = Median(rounds.curl_rates);
    const double ratio = own_rate / curl_rate;
    std::printf(
        "1 GiB over loopback [%s], medians of %d rounds in turns: program %.0f MB/s "
        "(%.2f CPU s/GB, the window drawn on %.1f times a second), curl -o FILE + sync "
        "FILE %.0f MB/s (%.2f CPU s/GB): %.2f x curl\n",
        renderer.name.c_str(), bench.rounds, own_rate, Median(rounds.program_cpu),
        Median(rounds.drawings_per_s), curl_rate, Median(rounds.curl_cpu), ratio);
    bench.summary.Add(Under(renderer, "1 GiB over loopback against curl -o FILE + sync FILE"),
                      Format("%.2f x (%.0f / %.0f MB/s)", ratio, own_rate, curl_rate), ">= 1.5 x",
                      VerdictOf(ratio >= 1.5));
    bench.summary.Add(
        Under(renderer, "CPU per GB at full speed (curl -o FILE + sync FILE)"),
        Format("%.2f s/GB (%.2f)", Median(rounds.program_cpu), Median(rounds.curl_cpu)));
}

// The answers to pings over the whole transfer, against the target; and
// apart, those while the bytes were written and those after the last write.
void ReportPings(BenchContext& bench, const Renderer& renderer, const TransferRounds& rounds) {
    std::vector<double> waits = rounds.writing_waits;
    waits.insert(waits.end(), rounds.ending_waits.begin(), rounds.ending_waits.end());
    const double p50 = Percentile(waits, 0.5), p99 = Percentile(waits, 0.99);
    const double most = Percentile(waits, 1);
    std::printf(
        "_NET_WM_PING every %lld ms during those transfers [%s]: %zu answers, p50 %.1f "
        "ms, p99 %.1f ms, max %.1f ms\n",
        static_cast<long long>(EventWait::kPingInterval.count()), renderer.name.c_str(),
        waits.size(), p50, p99, most);
    std::printf(
        "  while the bytes were written: p50 %.1f ms, p99 %.1f ms, max %.1f ms; from the "
        "last write to the final name (median %.0f ms): max %.1f ms\n",
        Percentile(rounds.writing_waits, 0.5), Percentile(rounds.writing_waits, 0.99),
        Percentile(rounds.writing_waits, 1), Median(rounds.endings_ms),
        Percentile(rounds.ending_waits, 1));
    bench.summary.Add(Under(renderer, "_NET_WM_PING during a full-speed transfer"),
                      Format("p50 %.1f, p99 %.1f, max %.1f ms", p50, p99, most),
                      "p99 < 16, max < 50 ms", VerdictOf(!waits.empty() && p99 < 16 && most < 50));
}

void Failed(const char* what, const ProgramUnderTest& program) {
    throw std::runtime_error(std::string(what) + " failed; the program's log ends:\n" +
                             program.LogTail());
}

// The program after its downloads: processor time over kIdleSpan.
void IdleAfterDownloads(BenchContext& bench, const Renderer& renderer, ProgramUnderTest& program,
                        EventWait& wait, int downloads) {
    WaitUntilAnswering(wait, bench.x, MonotonicNs());
    const int64_t ran_before = program.LiveThreadsRunNs();
    const int64_t drawings_before = bench.x.Drawings();
    wait.For(kIdleSpan);
    const double ran_ms = static_cast<double>(program.LiveThreadsRunNs() - ran_before) / 1e6;
    std::printf(
        "idle after %d downloads [%s]: %.2f ms of processor time in %.0f s, drawn on %lld "
        "times\n",
        downloads, renderer.name.c_str(), ran_ms, kIdleSpan.count() / 1000.0,
        static_cast<long long>(bench.x.Drawings() - drawings_before));
    bench.summary.Add(
        Under(renderer, Format("CPU when nothing downloads, after %d downloads", downloads)),
        Format("%.2f ms in %.0f s", ran_ms, kIdleSpan.count() / 1000.0), "0 (< 1 ms)",
        VerdictOf(ran_ms < 1));
}

} // namespace

std::string FullSpeedTarget(int round) { return "/full-" + std::to_string(round) + ".mp4"; }
std::string PacedTarget(int round) { return "/paced-" + std::to_string(round) + ".mp4"; }

void MeasureTransfer(BenchContext& bench) {
    for (const Renderer& renderer : bench.renderers) {
        FreshUser user(true);
        DownloadWatch watch(user.DownloadFolder());
        EventWait wait(bench.x, &watch);
        const auto program = StartShown(bench, renderer, user, wait);
        WaitUntilAnswering(wait, bench.x, MonotonicNs());
        TransferRounds rounds;
        const std::string curl_file = user.DownloadFolder() + "/curl-video.mp4";
        for (int round = 0; round < bench.rounds; ++round) {
            const std::string url = bench.server.Url(FullSpeedTarget(round));
            const ProgramTimed own =
                ProgramDownload(bench, *program, watch, wait, url, kFullSpeedSize, true);
            if (own.seconds <= 0) Failed("the program's download", *program);
            const Timed curl = CurlDownload(url, curl_file, kFullSpeedSize, true);
            if (curl.seconds <= 0) throw std::runtime_error("curl's download failed");
            rounds.Add(own, curl);
            std::printf("  round %d [%s]: program %.0f MB/s, curl -o FILE + sync FILE %.0f MB/s\n",
                        round + 1, renderer.name.c_str(), rounds.program_rates.back(),
                        rounds.curl_rates.back());
        }
        ReportTransfer(bench, renderer, rounds);
        ReportPings(bench, renderer, rounds);
        IdleAfterDownloads(bench, renderer, *program, wait, bench.rounds);
    }
}

void MeasurePacedCpu(BenchContext& bench) {
    const double gigabytes = Gigabytes(kPacedSize);
    const unsigned long long mib = kPacedSize >> 20;
    Timed curl;
    Timed synced;
    {
        test_support::TempFolder folder;
        curl = CurlDownload(bench.server.Url(PacedTarget(0)), folder.File("video.mp4"), kPacedSize);
        if (curl.seconds <= 0) throw std::runtime_error("curl's paced download failed");
        std::printf(
            "paced at 20 MB/s, %llu MiB: curl -o FILE %.2f CPU s in %.1f s (%.2f CPU s/GB)\n", mib,
            curl.cpu_seconds, curl.seconds, curl.cpu_seconds / gigabytes);
        // The program's work also holds the sync before it names the file,
        // which curl leaves to the kernel's own writer.
        synced = CurlDownload(bench.server.Url(PacedTarget(0)), folder.File("video.mp4"),
                              kPacedSize, true);
        if (synced.seconds <= 0) throw std::runtime_error("curl's paced download failed");
        std::printf("paced at 20 MB/s, %llu MiB: curl -o FILE + sync FILE %.2f CPU s\n", mib,
                    synced.cpu_seconds);
    }
    for (const Renderer& renderer : bench.renderers) {
        FreshUser user(true);
        DownloadWatch watch(user.DownloadFolder());
        EventWait wait(bench.x, &watch);
        const auto program = StartShown(bench, renderer, user, wait);
        WaitUntilAnswering(wait, bench.x, MonotonicNs());
        const ProgramTimed own = ProgramDownload(
            bench, *program, watch, wait, bench.server.Url(PacedTarget(0)), kPacedSize, false);
        if (own.seconds <= 0) Failed("the program's paced download", *program);
        const double per_gb = own.cpu_seconds / gigabytes;
        std::printf(
            "paced at 20 MB/s, %llu MiB [%s]: program %.2f CPU s in %.1f s (%.2f CPU s/GB), "
            "curl -o FILE %.2f CPU s; the window drawn on %.1f times a second\n",
            mib, renderer.name.c_str(), own.cpu_seconds, own.seconds, per_gb, curl.cpu_seconds,
            static_cast<double>(own.drawings) / own.seconds);
        bench.summary.Add(
            Under(renderer, Format("CPU seconds, paced at 20 MB/s, %llu MiB (curl -o FILE)", mib)),
            Format("%.2f s (%.2f s)", own.cpu_seconds, curl.cpu_seconds));
        bench.summary.Add(Under(renderer, Format("CPU seconds, paced at 20 MB/s, %llu MiB "
                                                 "(curl -o FILE + sync FILE)",
                                                 mib)),
                          Format("%.2f s (%.2f s)", own.cpu_seconds, synced.cpu_seconds));
        const double against_curl = own.cpu_seconds / curl.cpu_seconds;
        bench.summary.Add(Under(renderer, "CPU, paced at 20 MB/s, against curl -o FILE"),
                          Format("%.2f x", against_curl), "<= 1.0 x",
                          VerdictOf(against_curl <= 1.0));
        bench.summary.Add(Under(renderer, "CPU per GB, paced at 20 MB/s (curl -o FILE)"),
                          Format("%.2f s/GB (%.2f)", per_gb, curl.cpu_seconds / gigabytes),
                          "<= 1.5 s/GB", VerdictOf(per_gb <= 1.5));
    }
}

} // namespace tarnwick::bench
