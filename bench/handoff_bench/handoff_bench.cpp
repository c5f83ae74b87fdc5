// Hand-offs from a browser into the real program, through the real native
// host, each as the extension makes it: one framed request of one item over
// the port it keeps open to the host (connectNative), timed from writing the
// request to the reply that the item was added; and, beside it, with the host
// started anew for each, as a port opened per message would. The program
// runs offscreen in a home of its own (its XDG folders and runtime folder
// too), and each item is a loopback address of its own that only has to be
// listed. Two cases: a running program, over many hand-offs; and a cold
// start, where no program runs and the host starts one, a few rounds, each in
// a fresh home. The host's own share, its start and a ping, comes beside them.
#include "app/program_home.h"
#include "handoff_bench/host_exchange.h"
#include "handoff_bench/program_process.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace tarnwick;

constexpr int kRunningHandoffs = 250;
constexpr int kColdRounds = 5;
const std::string kHost = TARNWICK_PROGRAM_DIR "/tarnwick-browser-host";
const std::string kProgram = TARNWICK_PROGRAM_DIR "/tarnwick";

std::vector<std::string> EnvironmentOf(const test_support::ProgramHome& home) {
    std::vector<std::string> entries;
    for (const QString& entry : home.Environment().toStringList())
        entries.push_back(entry.toStdString());
    return entries;
}

std::string AddRequest(int number) {
    return R"({"type":"add","items":[{"url":"http://127.0.0.1:9/handoff-bench/video-)" +
           std::to_string(number) + R"(.mp4","origin":"link"}]})";
}

// One hand-off's time, or a negative one (told on stderr) when it failed.
double TimedHandoff(const std::vector<std::string>& environment, int number) {
    const bench::HostAnswer answer =
        bench::ExchangeWithHost(kHost, environment, AddRequest(number));
    if (answer.ok && bench::AllAdded(answer.json)) return answer.elapsed_ms;
    std::fprintf(stderr, "hand-off %d failed: %s\n", number, answer.json.c_str());
    return -1;
}

double Percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const size_t rank = static_cast<size_t>(std::ceil(share * values.size()));
    return values[std::max<size_t>(rank, 1) - 1];
}

// The host's own share of a hand-off: started anew, it answers a ping
// without the program.
std::vector<double> HostPings() {
    test_support::ProgramHome home({});
    const std::vector<std::string> environment = EnvironmentOf(home);
    std::vector<double> times;
    for (int round = 0; round < kRunningHandoffs; ++round) {
        const bench::HostAnswer answer =
            bench::ExchangeWithHost(kHost, environment, R"({"type":"ping"})");
        if (!answer.ok || answer.json.find(R"("ok":true)") == std::string::npos) break;
        times.push_back(answer.elapsed_ms);
    }
    return times;
}

// Hand-offs to a program the benchmark started, with the host started anew
// for each (`kept` false) or kept over one port as the extension keeps it;
// the first, which waits for the program's channel, is not counted.
std::vector<double> RunningProgramHandoffs(bool kept) {
    test_support::ProgramHome home({});
    const std::vector<std::string> environment = EnvironmentOf(home);
    const pid_t program = bench::StartProgram(kProgram, environment);
    if (program == 0) return {};
    std::vector<double> times;
    {
        bench::KeptHost port(kHost, environment);
        const auto handoff = [&](int number) {
            if (!kept) return TimedHandoff(environment, number);
            const bench::HostAnswer answer = port.Exchange(AddRequest(number));
            if (answer.ok && bench::AllAdded(answer.json)) return answer.elapsed_ms;
            std::fprintf(stderr, "hand-off %d failed: %s\n", number, answer.json.c_str());
            return -1.0;
        };
        if (handoff(0) >= 0) {
            for (int number = 1; number <= kRunningHandoffs; ++number) {
                const double ms = handoff(number);
                if (ms < 0) break;
                times.push_back(ms);
            }
        }
    }
    bench::EndChild(program);
    return times;
}

// Hand-offs where no program runs: the host starts it, and the time runs to
// the item's being listed. The program the host started is ended after.
std::vector<double> ColdStartHandoffs() {
    std::vector<double> times;
    for (int round = 0; round < kColdRounds; ++round) {
        test_support::ProgramHome home({});
        const std::vector<std::string> environment = EnvironmentOf(home);
        const double ms = TimedHandoff(environment, round);
        for (pid_t started : bench::ProgramsWith(kProgram, "XDG_RUNTIME_DIR=" + home.File("run")))
            bench::EndStranger(started);
        if (ms < 0) break;
        times.push_back(ms);
    }
    return times;
}

} // namespace

int main() {
    const std::vector<double> running = RunningProgramHandoffs(true);
    const std::vector<double> anew = RunningProgramHandoffs(false);
    const std::vector<double> cold = ColdStartHandoffs();
    const std::vector<double> pings = HostPings();
    if (running.size() != kRunningHandoffs || anew.size() != kRunningHandoffs ||
        cold.size() != kColdRounds || pings.size() != kRunningHandoffs) {
        std::fprintf(stderr,
                     "handoff_bench: %zu of %d hand-offs to a running program, %zu of %d "
                     "cold starts succeeded\n",
                     running.size(), kRunningHandoffs, cold.size(), kColdRounds);
        std::fprintf(stderr, "handoff_bench: %zu of %d pings answered\n", pings.size(),
                     kRunningHandoffs);
        return 1;
    }
    std::printf(
        "handoff, running program: p50 %.1f ms, p99 %.1f ms  (%d hand-offs over the "
        "extension's one port, target p99 < 50 ms)\n",
        Percentile(running, 0.5), Percentile(running, 0.99), kRunningHandoffs);
    std::printf("handoff, host started anew each time: p50 %.1f ms, p99 %.1f ms\n",
                Percentile(anew, 0.5), Percentile(anew, 0.99));
    std::printf("handoff, cold start: median %.0f ms  (%d rounds, target < 2000 ms)\n",
                Percentile(cold, 0.5), kColdRounds);
    std::printf("host start and ping, no program: p50 %.1f ms, p99 %.1f ms  (the host's share)\n",
                Percentile(pings, 0.5), Percentile(pings, 0.99));
    return 0;
}
