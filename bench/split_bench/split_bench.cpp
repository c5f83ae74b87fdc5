// Fetching one large file over several connections: the program's split
// transfer at 1, 4, 8 and 16 connections against aria2c at 4, 8 and 16 and
// curl at one, from a server that holds each connection to 20 MB/s (as many
// real servers do), and the program at 1, 4 and 16 connections from one that
// does not. Both servers run in processes of their own and answer ranges of a
// file with an ETag. The contenders take turns round after round; each result
// is checked (size and bytes) before its time counts, and the medians are
// printed with the ratios of speeds that matter and their targets.
#include "bench_options.h"
#include "child_run.h"
#include "figures.h"
#include "file_check.h"
#include "program_download.h"
#include "support/served_file.h"
#include "support/server_process.h"
#include "support/temp_folder.h"
#include "tool_commands.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace tarnwick;
using SteadyClock = std::chrono::steady_clock;

constexpr uint64_t kPacedBytesPerSecond = 20000000;
// Tells the server process to hold each connection to this many bytes a second.
constexpr const char* kLimitVariable = "TARNWICK_SPLIT_BENCH_LIMIT";

std::string TargetOf(uint64_t size) { return "/video-" + std::to_string(size) + ".mp4"; }

void ServeFiles(test_support::LoopbackServer& server) {
    if (const char* limit = std::getenv(kLimitVariable)) {
        server.LimitEachConnection(std::strtoull(limit, nullptr, 10));
    }
    for (const uint64_t size : {bench::BenchOptions::kFullSize, bench::BenchOptions::kQuickSize}) {
        test_support::ServedFile file;
        file.size = size;
        file.etag = "\"v1-" + std::to_string(size) + "\"";
        server.ServeFile(TargetOf(size), file);
    }
}

// A server process; `bytes_per_second` 0 sends as fast as the client takes.
std::unique_ptr<bench::ServerProcess> StartServer(const char* self, uint64_t bytes_per_second) {
    if (bytes_per_second > 0) {
        ::setenv(kLimitVariable, std::to_string(bytes_per_second).c_str(), 1);
    } else {
        ::unsetenv(kLimitVariable);
    }
    auto server = std::make_unique<bench::ServerProcess>(self);
    ::unsetenv(kLimitVariable);
    return server;
}

// One contender: how it fetches a file into a path, its times and failures.
struct Contender {
    // None when it ended well; why it failed otherwise.
    using Run = std::function<std::optional<std::string>(const std::string& file)>;
    Contender(std::string group, std::string name, Run run)
        : group(std::move(group)), name(std::move(name)), run(std::move(run)) {}

    std::string group;
    std::string name;
    Run run;
    // More about the last run, for its line on the standard error.
    std::function<std::string()> detail = [] { return std::string(); };
    std::vector<double> seconds;
    int failures = 0;

    std::optional<double> Speed(uint64_t bytes) const {
        const std::optional<double> median = bench::Median(seconds);
        if (!median) return std::nullopt;
        return bench::MegabytesPerSecond(bytes, *median);
    }
};

std::optional<std::string> RunTool(const std::vector<std::string>& command,
                                   const std::string& log) {
    if (bench::RunToEnd(command, log)) return std::nullopt;
    return command.front() + " failed: " + bench::LastLine(log);
}

// One timed run, counted only when the file it left is the served one.
void RunOnce(Contender& contender, const std::string& file, uint64_t size, int round) {
    const SteadyClock::time_point start = SteadyClock::now();
    std::optional<std::string> problem = contender.run(file);
    const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
    if (!problem) problem = bench::FileProblem(file, size);
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    if (problem) {
        ++contender.failures;
        std::fprintf(stderr, "round %d, %s, %s: %s\n", round, contender.group.c_str(),
                     contender.name.c_str(), problem->c_str());
        return;
    }
    contender.seconds.push_back(seconds);
    std::fprintf(stderr, "round %d, %-7s %-26s %7.2f s%s\n", round, contender.group.c_str(),
                 contender.name.c_str(), seconds, contender.detail().c_str());
}

struct Setting {
    std::string paced_url;
    std::string unpaced_url;
    std::string folder;
    std::string log;
};

std::vector<Contender> MakeContenders(bench::ProgramDownload& program, const Setting& setting) {
    std::vector<Contender> contenders;
    const auto program_at = [&](const std::string& group, const std::string& url, int count) {
        const std::string name =
            "Tarnwick, " + std::to_string(count) + (count == 1 ? " connection" : " connections");
        contenders.push_back({group, name, [&program, url, count](const std::string& file) {
                                  return program.Run(url, file, count);
                              }});
        contenders.back().detail = [&program] {
            char text[96];
            std::snprintf(text, sizeof text, " (%.2f s of it after the last report, %.2f s CPU)",
                          program.SecondsAfterLastReport(), program.CpuSeconds());
            return std::string(text);
        };
    };
    for (const int count : {1, 4, 8, 16}) program_at("paced", setting.paced_url, count);
    if (const std::optional<std::string> aria2 = bench::FindOnPath("aria2c")) {
        for (const int count : {4, 8, 16}) {
            const std::string name = "aria2c -x" + std::to_string(count);
            contenders.push_back({"paced", name, [=](const std::string& file) {
                                      const std::filesystem::path path(file);
                                      return RunTool(
                                          bench::Aria2Command(*aria2, path.parent_path().string(),
                                                              path.filename().string(),
                                                              setting.paced_url, count),
                                          setting.log);
                                  }});
        }
    }
    if (const std::optional<std::string> curl = bench::FindOnPath("curl")) {
        contenders.push_back({"paced", "curl -o FILE", [=](const std::string& file) {
                                  return RunTool(bench::CurlCommand(*curl, file, setting.paced_url),
                                                 setting.log);
                              }});
    }
    for (const int count : {1, 4, 16}) program_at("unpaced", setting.unpaced_url, count);
    return contenders;
}

std::optional<double> SpeedOf(const std::vector<Contender>& contenders, const std::string& group,
                              const std::string& name, uint64_t size) {
    for (const Contender& contender : contenders) {
        if (contender.group == group && contender.name == name) return contender.Speed(size);
    }
    return std::nullopt;
}

void PrintFigures(const std::vector<Contender>& contenders, const bench::BenchOptions& options) {
    std::printf("%d rounds of a %llu MiB file, medians:\n", options.rounds,
                static_cast<unsigned long long>(options.file_size >> 20));
    std::string group;
    for (const Contender& contender : contenders) {
        if (contender.group != group) {
            group = contender.group;
            std::printf("%s%s:\n", group.c_str(),
                        group == "paced" ? " (each connection held to 20 MB/s)" : "");
        }
        std::puts(bench::FigureLine(contender.name, bench::Median(contender.seconds),
                                    options.file_size, contender.failures)
                      .c_str());
    }
    const uint64_t size = options.file_size;
    const auto ratio = [&](const char* label, const char* group_of_both, const char* first,
                           const char* second, std::optional<double> least) {
        std::puts(bench::RatioLines(label, SpeedOf(contenders, group_of_both, first, size),
                                    SpeedOf(contenders, group_of_both, second, size), least)
                      .c_str());
    };
    ratio("paced, 4 connections against 1", "paced", "Tarnwick, 4 connections",
          "Tarnwick, 1 connection", 3.6);
    ratio("paced, 4 connections against aria2c -x4", "paced", "Tarnwick, 4 connections",
          "aria2c -x4", 1.0);
    ratio("paced, 8 connections against aria2c -x8", "paced", "Tarnwick, 8 connections",
          "aria2c -x8", 1.0);
    ratio("paced, 16 connections against aria2c -x16", "paced", "Tarnwick, 16 connections",
          "aria2c -x16", 1.0);
    ratio("unpaced, 4 connections against 1", "unpaced", "Tarnwick, 4 connections",
          "Tarnwick, 1 connection", 0.95);
    ratio("unpaced, 16 connections against 1", "unpaced", "Tarnwick, 16 connections",
          "Tarnwick, 1 connection", 0.95);
}

} // namespace

int main(int argc, char* argv[]) {
    const int served = bench::ServeIfServerProcess(argc, argv, ServeFiles);
    if (served >= 0) return served;
    std::string error;
    const std::optional<bench::BenchOptions> options =
        bench::ReadOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "split_bench: %s\n", error.c_str());
        return 2;
    }
    QCoreApplication app(argc, argv);
    const std::unique_ptr<bench::ServerProcess> paced = StartServer(argv[0], kPacedBytesPerSecond);
    const std::unique_ptr<bench::ServerProcess> unpaced = StartServer(argv[0], 0);
    test_support::TempFolder folder;
    const std::string target = TargetOf(options->file_size);
    const Setting setting{paced->Url(target), unpaced->Url(target), folder.Path().string(),
                          folder.File("tool.log")};
    bench::ProgramDownload program;
    std::vector<Contender> contenders = MakeContenders(program, setting);
    if (!options->only.empty()) {
        std::erase_if(contenders, [&](const Contender& c) { return c.group != options->only; });
    }
    const std::string file = folder.File("video.mp4");
    for (int round = 1; round <= options->rounds; ++round) {
        for (Contender& contender : contenders) {
            RunOnce(contender, file, options->file_size, round);
        }
    }
    PrintFigures(contenders, *options);
    std::fflush(stdout);
    for (const Contender& contender : contenders) {
        if (contender.failures > 0) return 1;
    }
    return 0;
}
