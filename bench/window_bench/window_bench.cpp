// The real program measured from outside, as a user runs it: started on an
// X server of the benchmark's own (Xvfb, no window manager, no GPU) as a
// fresh user, given addresses through its command line, its window pinged,
// clicked and watched through X, its threads read from /proc, its downloads
// from a loopback server in a process of its own. Each figure is printed
// with its target, once with the renderer the program picks and once with
// Qt Quick's software renderer forced.
//
//   window_bench [--program PATH] [--only NAME] [--rounds N] [--renderer default|software|both]
//
// NAME is one of frame, idle, transfer, cpu, memory, remove.
#include "measurements.h"
#include "virtual_display.h"

#include "support/loopback_server.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

namespace {

using namespace tarnwick::bench;
using tarnwick::test_support::Answer;
using tarnwick::test_support::LoopbackServer;

struct Measurement {
    const char* name;
    void (*run)(BenchContext& bench);
};
constexpr Measurement kMeasurements[] = {
    {"frame", MeasureFirstFrame}, {"idle", MeasureIdle},     {"transfer", MeasureTransfer},
    {"cpu", MeasurePacedCpu},     {"memory", MeasureMemory}, {"remove", MeasureBulkRemove},
};

std::string VideoHead(uint64_t size) {
    return "HTTP/1.1 200 OK\r\nContent-Type: video/mp4\r\nContent-Length: " + std::to_string(size) +
           "\r\n\r\n";
}

void ServeVideos(LoopbackServer& server) {
    for (int round = 0; round < kServedRounds; ++round) {
        server.Serve(FullSpeedTarget(round),
                     Answer().Head(VideoHead(kFullSpeedSize)).GeneratedBody(kFullSpeedSize));
        server.Serve(
            PacedTarget(round),
            Answer().Head(VideoHead(kPacedSize)).PacedBody(kPacedSize, kPacedBytesPerSecond));
    }
}

struct Options {
    std::string program = TARNWICK_PROGRAM;
    std::string only;
    int rounds = 5;
    std::string renderer = "both";
};

bool ParseOptions(int argc, char* argv[], Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (option == "--program") {
            options.program = value;
        } else if (option == "--only") {
            options.only = value;
        } else if (option == "--rounds") {
            options.rounds = std::clamp(std::atoi(value.c_str()), 1, kServedRounds);
        } else if (option == "--renderer") {
            options.renderer = value;
        } else {
            return false;
        }
    }
    return true;
}

bool IsMeasurement(const std::string& name) {
    return std::any_of(std::begin(kMeasurements), std::end(kMeasurements),
                       [&](const Measurement& measurement) { return name == measurement.name; });
}

std::vector<Renderer> RenderersOf(const std::string& choice) {
    std::vector<Renderer> renderers;
    if (choice == "default" || choice == "both") renderers.push_back({"as chosen", false});
    if (choice == "software" || choice == "both") {
        renderers.push_back({"QT_QUICK_BACKEND=software", true});
    }
    return renderers;
}

} // namespace

int main(int argc, char* argv[]) {
    const int served = ServeIfServerProcess(argc, argv, ServeVideos);
    if (served >= 0) return served;
    Options options;
    if (!ParseOptions(argc, argv, options) || RenderersOf(options.renderer).empty() ||
        (!options.only.empty() && !IsMeasurement(options.only))) {
        std::fprintf(stderr,
                     "usage: %s [--program PATH] [--only frame|idle|transfer|cpu|memory|remove] "
                     "[--rounds N] [--renderer default|software|both]\n",
                     argv[0]);
        return 2;
    }
    if (!std::filesystem::exists(options.program)) {
        std::fprintf(stderr, "no program at %s\n", options.program.c_str());
        return 2;
    }
    try {
        VirtualDisplay display;
        XObserver x(display.Name());
        ServerProcess server(argv[0]);
        Summary summary;
        BenchContext bench{{options.program, display.Name()}, x,      server, options.rounds,
                           RenderersOf(options.renderer),     summary};
        std::printf("%s on Xvfb %s\n", options.program.c_str(), display.Name().c_str());
        bool all_ran = true;
        for (const Measurement& measurement : kMeasurements) {
            if (!options.only.empty() && options.only != measurement.name) continue;
            try {
                measurement.run(bench);
            } catch (const std::exception& error) {
                std::printf("%s: %s\n", measurement.name, error.what());
                all_ran = false;
            }
            std::fflush(stdout);
        }
        summary.Print();
        return all_ran ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "window_bench: %s\n", error.what());
        return 1;
    }
}
