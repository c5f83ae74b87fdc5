// Download runs of 1,000 and of 10,000 small items (4 KiB each) through the
// real program, its window offscreen, against a loopback server in a process
// of its own. Prints the time per item of both runs, their ratio, and how
// late a 10 ms timer fired while they ran (99th percentile and worst). Then
// runs of 1,000 items one at a time and four at once, in turns, and the
// medians of their time per item and their ratio.
#include "app/tarnwick_app.h"

#include "fakes/fake_app_paths.h"
#include "fakes/fake_shell_launch.h"
#include "list/add_video_url.h"
#include "support/server_process.h"
#include "support/temp_folder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace tarnwick;

constexpr int kLargestRun = 10000;
constexpr int kVideoSize = 4096;
constexpr int kRounds = 5;

struct Connected : platform::Connectivity {
    bool HasConnection() override { return true; }
};

std::string PageTarget(int id) { return "/putfile.com/" + std::to_string(id); }
std::string VideoTarget(int id) { return "/v/" + std::to_string(id) + ".flv"; }

void ServeItems(test_support::LoopbackServer& server) {
    const std::string video_head =
        "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kVideoSize) + "\r\n\r\n";
    for (int id = 0; id < kLargestRun; ++id) {
        server.Serve(PageTarget(id),
                     test_support::Answer::Http(200, "OK", {},
                                                "<a href='" + server.Url(VideoTarget(id)) + "'>")
                         .KeepAlive());
        server.Serve(VideoTarget(id),
                     test_support::Answer().Head(video_head).GeneratedBody(kVideoSize).KeepAlive());
    }
}

struct RunFigures {
    int complete = 0;
    double ms_per_item = 0;
    double lateness_p99_ms = 0;
    double lateness_worst_ms = 0;
};

// A run beside the program's, over its queue and network, with `at_once`
// items under way at most.
std::unique_ptr<driver::DownloadRun> RunAtOnce(app::TarnwickApp& tarnwick, int at_once) {
    return std::make_unique<driver::DownloadRun>(driver::JobServices{
        .queue = tarnwick.queue,
        .http = tarnwick.http,
        .clock = tarnwick.clock,
        .download_folder = [&tarnwick] { return tarnwick.settings_values.download_dir; },
        .html_parsers = &tarnwick.html_parsers,
        .background = &tarnwick.background,
        .trace = &tarnwick.trace,
        .downloads_at_once = [at_once] { return at_once; }});
}

// A run of the program's own, as the user starts it; or, with `at_once`, a
// run beside it that has that many items under way at most.
RunFigures TimedRun(const bench::ServerProcess& server, int items, int first_id,
                    std::optional<int> at_once = std::nullopt) {
    test_support::TempFolder folder;
    fakes::FakeAppPaths paths;
    paths.program_folder = TARNWICK_PROGRAM_DIR;
    paths.home_folder = folder.File("home");
    std::filesystem::create_directory(paths.home_folder);
    // The kept list and the cache of each run start empty, in its own folder.
    paths.cache_folder = folder.File("cache");
    paths.data_folder = folder.File("data");
    fakes::FakeShellLaunch launch;
    Connected connected;
    app::AppOverrides overrides;
    overrides.paths = &paths;
    overrides.launch = &launch;
    overrides.connectivity = &connected;
    overrides.user_settings = qt::SettingsLocation{QString::fromStdString(folder.File("t.conf"))};
    app::TarnwickApp tarnwick(overrides);
    tarnwick.Start();
    tarnwick.settings_values.download_dir = folder.File("videos");
    for (int id = first_id; id < first_id + items; ++id) {
        list::AddVideoURL(tarnwick.queue, server.Url(PageTarget(id)));
    }
    QApplication::processEvents();
    const std::unique_ptr<driver::DownloadRun> own_run =
        at_once ? RunAtOnce(tarnwick, *at_once) : nullptr;
    driver::DownloadRun& run = own_run ? *own_run : tarnwick.run;

    // A 10 ms timer beside the run: how late each of its ticks comes.
    std::vector<double> lateness_ms;
    QElapsedTimer since_tick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(10);
    QEventLoop loop;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        lateness_ms.push_back(std::max(0.0, since_tick.nsecsElapsed() / 1e6 - 10.0));
        since_tick.restart();
        if (!run.IsRunning()) loop.quit();
    });
    QElapsedTimer run_time;
    run_time.start();
    if (own_run) {
        run.Start();
    } else {
        tarnwick.run_commands.ToggleRun();
    }
    since_tick.start();
    ticker.start();
    loop.exec();
    const double elapsed_ms = run_time.nsecsElapsed() / 1e6;

    RunFigures figures;
    for (int p = 0; p < tarnwick.queue.Count(); ++p) {
        figures.complete += tarnwick.queue.At(p).state == list::ItemState::kComplete ? 1 : 0;
    }
    figures.ms_per_item = elapsed_ms / items;
    std::sort(lateness_ms.begin(), lateness_ms.end());
    if (!lateness_ms.empty()) {
        figures.lateness_p99_ms = lateness_ms[lateness_ms.size() * 99 / 100];
        figures.lateness_worst_ms = lateness_ms.back();
    }
    return figures;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct RoundFigures {
    std::vector<double> ms_per_item;
    std::vector<double> lateness_p99_ms;
    std::vector<double> lateness_worst_ms;
    bool all_complete = true;

    void Add(const RunFigures& run, int items) {
        ms_per_item.push_back(run.ms_per_item);
        lateness_p99_ms.push_back(run.lateness_p99_ms);
        lateness_worst_ms.push_back(run.lateness_worst_ms);
        all_complete = all_complete && run.complete == items;
    }
};

// Runs of 1,000 items one at a time and four at once, in turns, so that
// whatever the machine does meanwhile falls on both alike. Each round has a
// server of its own: a server keeps every connection it took until it ends,
// and the runs before leave it few to take.
bool CompareAtOnce(const char* self) {
    constexpr int kItems = 1000;
    RoundFigures serial;
    RoundFigures four;
    for (int round = 0; round < kRounds; ++round) {
        const bench::ServerProcess server(self);
        const bool serial_first = round % 2 == 0;
        if (serial_first) serial.Add(TimedRun(server, kItems, 0, 1), kItems);
        four.Add(TimedRun(server, kItems, 0, 4), kItems);
        if (!serial_first) serial.Add(TimedRun(server, kItems, 0, 1), kItems);
    }
    std::printf("time per item, medians of %d rounds of 1,000 items:\n", kRounds);
    std::printf("  one at a time:       %.3f ms, timer lateness p99 %.2f ms, worst %.2f ms\n",
                Median(serial.ms_per_item), Median(serial.lateness_p99_ms),
                Median(serial.lateness_worst_ms));
    std::printf("  4 at once:           %.3f ms, timer lateness p99 %.2f ms, worst %.2f ms\n",
                Median(four.ms_per_item), Median(four.lateness_p99_ms),
                Median(four.lateness_worst_ms));
    std::printf("4 at once against serial, per item: %.2f x (target <= 1.3)\n",
                Median(four.ms_per_item) / Median(serial.ms_per_item));
    return serial.all_complete && four.all_complete;
}

} // namespace

int main(int argc, char* argv[]) {
    const int served = bench::ServeIfServerProcess(argc, argv, ServeItems);
    if (served >= 0) return served;
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::ServerProcess server(argv[0]);

    // A first run warms the process up (fonts, caches, the allocator) unmeasured.
    TimedRun(server, 200, 0);
    const RunFigures small = TimedRun(server, 1000, 0);
    const RunFigures large = TimedRun(server, kLargestRun, 0);
    std::printf("items complete:        %d of 1000, %d of %d\n", small.complete, large.complete,
                kLargestRun);
    std::printf("time per item:         %.3f ms (1,000 items), %.3f ms (10,000 items)\n",
                small.ms_per_item, large.ms_per_item);
    std::printf("10,000 against 1,000:  %.2f x per item (target <= 1.3)\n",
                large.ms_per_item / small.ms_per_item);
    std::printf("10 ms timer lateness:  p99 %.2f ms, worst %.2f ms (1,000 items)\n",
                small.lateness_p99_ms, small.lateness_worst_ms);
    std::printf(
        "                       p99 %.2f ms, worst %.2f ms (10,000 items)"
        " (targets p99 < 4 ms, worst < 16 ms)\n",
        large.lateness_p99_ms, large.lateness_worst_ms);
    const bool compared = CompareAtOnce(argv[0]);
    return small.complete == 1000 && large.complete == kLargestRun && compared ? 0 : 1;
}
