// Downloading a playlist of 50 videos from a site whose every connection is
// held to 10 MB/s: the program, with one and with four downloads at once,
// against yt-dlp downloading the playlist itself. The site (playlist_site.h)
// runs in a process of its own, a new one each round; the contenders take
// turns, in another order each round, and each run's files are checked
// before its time counts. Prints the medians and the program's speed against
// yt-dlp's, with their targets.
//
//   playlist_bench [--rounds N]
#include "contenders.h"
#include "playlist_site.h"

#include "support/server_process.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace tarnwick;

struct Contender {
    std::string name;
    std::function<bench::TimedRun(const std::string& feed_url)> run;
    std::vector<double> seconds;
};

std::optional<double> Median(std::vector<double> values) {
    if (values.empty()) return std::nullopt;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::optional<int> Rounds(int argc, char* argv[]) {
    if (argc == 1) return 3;
    if (argc != 3 || std::strcmp(argv[1], "--rounds") != 0) return std::nullopt;
    const int rounds = std::atoi(argv[2]);
    return rounds >= 1 ? std::optional<int>(rounds) : std::nullopt;
}

void RunRound(int round, std::vector<Contender>& contenders, const char* self) {
    const bench::ServerProcess server(self);
    const std::string feed = server.Url(bench::kFeedTarget);
    for (size_t turn = 0; turn < contenders.size(); ++turn) {
        Contender& contender = contenders[(turn + round) % contenders.size()];
        const bench::TimedRun run = contender.run(feed);
        if (run.problem) {
            std::fprintf(stderr, "round %d, %s: not counted, %s\n", round + 1,
                         contender.name.c_str(), run.problem->c_str());
            continue;
        }
        contender.seconds.push_back(run.seconds);
        std::fprintf(stderr, "round %d, %-24s %7.2f s\n", round + 1, contender.name.c_str(),
                     run.seconds);
    }
}

// "LABEL: R x" with R yt-dlp's median over the program's, beside its target.
void PrintRatio(const char* label, const Contender& program, const Contender& ytdlp,
                double target) {
    const std::optional<double> own = Median(program.seconds);
    const std::optional<double> theirs = Median(ytdlp.seconds);
    if (!own || !theirs) {
        std::printf("%s: no figure (target >= %.2f)\n", label, target);
        return;
    }
    const double ratio = *theirs / *own;
    std::printf("%s: %.2f x (target >= %.2f: %s)\n", label, ratio, target,
                ratio >= target ? "met" : "NOT met");
}

} // namespace

int main(int argc, char* argv[]) {
    const int served = bench::ServeIfServerProcess(argc, argv, bench::ServePlaylistSite);
    if (served >= 0) return served;
    const std::optional<int> rounds = Rounds(argc, argv);
    if (!rounds) {
        std::fprintf(stderr, "usage: %s [--rounds N]\n", argv[0]);
        return 2;
    }
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<Contender> contenders = {
        {"Tarnwick, 1 at once",
         [](const std::string& url) { return bench::RunProgram(url, 1); },
         {}},
        {"Tarnwick, 4 at once",
         [](const std::string& url) { return bench::RunProgram(url, 4); },
         {}},
        {"yt-dlp -N 4", [](const std::string& url) { return bench::RunYtDlp(url); }, {}},
    };
    for (int round = 0; round < *rounds; ++round) RunRound(round, contenders, argv[0]);

    std::printf(
        "a playlist of %d videos of %.0f MB, each connection held to %.0f MB/s; medians of %d "
        "rounds:\n",
        bench::kEntries, static_cast<double>(bench::kVideoSize) / 1e6,
        static_cast<double>(bench::kBytesPerSecond) / 1e6, *rounds);
    bool all_counted = true;
    for (const Contender& contender : contenders) {
        const std::optional<double> median = Median(contender.seconds);
        all_counted = all_counted && static_cast<int>(contender.seconds.size()) == *rounds;
        if (median) {
            std::printf("  %-24s %7.2f s (%zu of %d runs counted)\n", contender.name.c_str(),
                        *median, contender.seconds.size(), *rounds);
        } else {
            std::printf("  %-24s no run counted\n", contender.name.c_str());
        }
    }
    PrintRatio("playlist, 4 at once against yt-dlp", contenders[1], contenders[2], 2.0);
    PrintRatio("playlist, 1 at once against yt-dlp", contenders[0], contenders[2], 1.2);
    return all_counted ? 0 : 1;
}
