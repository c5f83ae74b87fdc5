// How fast Stop acts: for each step a run can be in, the time from a
// confirmed Stop until the run is idle and the server has seen the
// connection closed. The server is a loopback server in a process of its own.
// Stop and exit while a host name is being looked up are measured in
// namespaces of their own whose name server never answers. Last, Stop while
// three files come in parts over four connections each (the budget lets
// eight go to the two names of the host), until the server has seen every
// one closed.
#include "curl/curl_client.h"
#include "driver/download_run.h"
#include "list/add_video_url.h"
#include "list/download_queue.h"
#include "qt/qt_clock.h"
#include "support/run_events.h"
#include "support/served_file.h"
#include "support/server_process.h"
#include "support/temp_folder.h"
#include "transfer/connection_budget.h"

#include "silent_name_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace {

using namespace tarnwick;
using test_support::Answer;

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";
constexpr const char* kInOwnNamespaces = "--name-lookup";
constexpr double kTargetMs = 100;

// A page whose link leads to `video`.
void ServeVideoPage(test_support::LoopbackServer& server, const std::string& name, Answer video) {
    const std::string link = "/v/" + name + ".flv";
    server.Serve("/putfile.com/" + name,
                 Answer::Http(200, "OK", {}, "<a href='" + server.Url(link) + "'>"));
    server.Serve(link, std::move(video));
}

void ServeSteps(test_support::LoopbackServer& server) {
    // The page never answers.
    server.Serve("/putfile.com/page", Answer().HoldUntilClientCloses());
    // The link's probe never answers.
    ServeVideoPage(server, "probe", Answer().HoldUntilClientCloses());
    // The video comes one byte a second; its probe is answered.
    ServeVideoPage(server, "trickle",
                   Answer()
                       .Head("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")
                       .Trickle(100000, std::chrono::seconds(1)));
    // The video comes as fast as the connection allows.
    const uint64_t huge = 1ull << 40;
    ServeVideoPage(
        server, "fast",
        Answer()
            .Head("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(huge) + "\r\n\r\n")
            .GeneratedBody(huge));
    // Files that take ranges, for the split transfers; the second is linked
    // by another name of the host, whose connections count apart.
    for (const std::string name : {"split0", "split1", "split2"}) {
        test_support::ServedFile file;
        // Room for it is taken on the disk at its start.
        file.size = 1ull << 30;
        file.etag = "\"" + name + "\"";
        std::string link = server.Url("/v/" + name + ".flv");
        if (name == "split1") link.replace(link.find("127.0.0.1"), 9, "localhost");
        server.Serve("/putfile.com/" + name,
                     Answer::Http(200, "OK", {}, "<a href='" + link + "'>"));
        server.ServeFile("/v/" + name + ".flv", file);
    }
}

constexpr int kSplitItems = 3;
constexpr int kSplitConnections = 4;
// Four to each of the two names of the host.
constexpr int kSplitOpen = 2 * transfer::ConnectionBudget::kLeastPerHost;

// From a confirmed Stop until the run is idle and the server saw every
// connection of three files that come in parts closed.
double SplitStopTime(bench::ServerProcess& server) {
    test_support::TempFolder folder;
    qt::QtClock clock;
    curl::CurlClient http(kUserAgent);
    list::DownloadQueue queue;
    transfer::ConnectionBudget budget(clock);
    driver::DownloadRun run({.queue = queue,
                             .http = http,
                             .clock = clock,
                             .download_folder = [&] { return folder.File("videos"); },
                             .downloads_at_once = [] { return kSplitItems; },
                             .connections = [] { return kSplitConnections; },
                             .connection_budget = &budget});
    for (int i = 0; i < kSplitItems; ++i) {
        list::AddVideoURL(queue, server.Url("/putfile.com/split" + std::to_string(i)));
    }
    run.Start();
    const int connections = kSplitOpen;
    if (!test_support::RunEventsUntil([&] {
            bool all_going = budget.InAll() == connections;
            for (int i = 0; i < kSplitItems; ++i) {
                all_going = all_going && queue.At(i).received >= 32 * 1024 * 1024;
            }
            return all_going;
        })) {
        return -1;
    }
    const int64_t stop = bench::MonotonicNs();
    run.Stop();
    const int64_t idle = bench::MonotonicNs();
    int64_t last_closed = 0;
    for (int i = 0; i < connections; ++i) {
        last_closed = std::max(last_closed, server.NextClose().when_ns);
    }
    if (run.IsRunning() || budget.InAll() != 0) return -1;
    return static_cast<double>(std::max(idle, last_closed) - stop) / 1e6;
}

struct Case {
    const char* name;
    const char* page;
    // When the run has reached the step.
    std::function<bool(const list::DownloadItem&)> reached;
};

double StopTime(bench::ServerProcess& server, const Case& c) {
    test_support::TempFolder folder;
    qt::QtClock clock;
    curl::CurlClient http(kUserAgent);
    list::DownloadQueue queue;
    driver::DownloadRun run({queue, http, clock, [&] { return folder.File("videos"); }});
    list::AddVideoURL(queue, server.Url(c.page));
    run.Start();
    QElapsedTimer in_step;
    in_step.start();
    // In the step, and long enough for the server to hold the connection.
    if (!test_support::RunEventsUntil(
            [&] { return c.reached(queue.At(0)) && in_step.elapsed() > 300; }))
        return -1;

    const int64_t stop = bench::MonotonicNs();
    run.Stop();
    const int64_t idle = bench::MonotonicNs();
    const bench::ServerProcess::Close closed = server.NextClose();
    if (run.IsRunning() || closed.when_ns == 0) return -1;
    return static_cast<double>(std::max(idle, closed.when_ns) - stop) / 1e6;
}

void PrintTime(const std::string& name, double ms) {
    std::printf("%-38s %7.2f ms (target < %.0f ms)\n", (name + ":").c_str(), ms, kTargetMs);
}

// The time a call takes while the run's page address is being looked up.
double LookupTime(bool exit) {
    test_support::TempFolder folder;
    qt::QtClock clock;
    auto http = std::make_unique<curl::CurlClient>(kUserAgent);
    list::DownloadQueue queue;
    auto run = std::make_unique<driver::DownloadRun>(
        driver::JobServices{queue, *http, clock, [&] { return folder.File("videos"); }});
    // A name of no host: the lookup can only wait for the silent name server.
    list::AddVideoURL(queue, "http://lookup.invalid/putfile.com/page");
    run->Start();
    QElapsedTimer waited;
    waited.start();
    test_support::RunEventsUntil([&] { return waited.elapsed() > 500; });
    if (queue.At(0).state != list::ItemState::kPreparing) return -1;

    const int64_t start = bench::MonotonicNs();
    if (exit) {
        run.reset();
        http.reset();
    } else {
        run->Stop();
    }
    return static_cast<double>(bench::MonotonicNs() - start) / 1e6;
}

// Inside the namespaces: measures Stop and exit during a name lookup.
int MeasureLookups(int argc, char* argv[]) {
    const bench::SilentNameServer name_server;
    if (!name_server.Error().empty()) {
        std::printf("stop during name lookup: skipped (%s)\n", name_server.Error().c_str());
        return bench::kSkipped;
    }
    QCoreApplication app(argc, argv);
    bool within = true;
    for (const bool exit : {false, true}) {
        const double ms = LookupTime(exit);
        const char* name = exit ? "exit during name lookup" : "stop during name lookup";
        if (ms < 0) {
            std::printf("%s: skipped (the lookup did not wait)\n", name);
            return bench::kSkipped;
        }
        within = within && ms < kTargetMs;
        PrintTime(name, ms);
    }
    std::fflush(stdout);
    return within ? bench::kMeasuredWithin : bench::kMeasuredBeyond;
}

} // namespace

int main(int argc, char* argv[]) {
    const int served = bench::ServeIfServerProcess(argc, argv, ServeSteps);
    if (served >= 0) return served;
    if (argc > 1 && std::strcmp(argv[1], kInOwnNamespaces) == 0) return MeasureLookups(argc, argv);
    QCoreApplication app(argc, argv);
    bench::ServerProcess server(argv[0]);

    using list::ItemState;
    const Case cases[] = {
        {"page fetch, no answer", "/putfile.com/page",
         [](const list::DownloadItem& i) { return i.state == ItemState::kPreparing; }},
        {"probe, no answer", "/putfile.com/probe",
         [](const list::DownloadItem& i) { return i.state == ItemState::kStarting; }},
        {"transfer, 1 byte a second", "/putfile.com/trickle",
         [](const list::DownloadItem& i) { return i.received >= 1; }},
        {"transfer at full speed", "/putfile.com/fast",
         [](const list::DownloadItem& i) { return i.received >= 64 * 1024 * 1024; }},
    };
    bool within = true;
    for (const Case& c : cases) {
        const double ms = StopTime(server, c);
        within = within && ms >= 0 && ms < kTargetMs;
        PrintTime(std::string("stop during ") + c.name, ms);
    }
    const double split_ms = SplitStopTime(server);
    within = within && split_ms >= 0 && split_ms < kTargetMs;
    PrintTime("stop during 3 files, 8 connections", split_ms);
    std::fflush(stdout);
    const int lookups = bench::RunInOwnNamespaces(kInOwnNamespaces);
    if (lookups < bench::kMeasuredWithin || lookups > bench::kSkipped) {
        std::printf(
            "stop during name lookup: skipped (unshare could not make namespaces here: "
            "status %d)\n",
            lookups);
    }
    within = within && lookups != bench::kMeasuredBeyond;
    return within ? 0 : 1;
}
