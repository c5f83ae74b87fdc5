// Downloads a 512 MiB body from a loopback server through the Download
// component, with the Qt event pump and a progress handler that writes the
// status text into a grid cell on screen, and the same body with the curl
// tool; prints the throughput of both and their ratio. Files go into a
// temporary folder that is removed at the end.
#include "curl/curl_http_client.h"
#include "list/download_view.h"
#include "qt/qt_event_pump.h"
#include "qt/qt_grid.h"
#include "resolve/file_naming.h"
#include "support/loopback_server.h"
#include "support/temp_folder.h"
#include "transfer/download.h"

#include <QApplication>
#include <QTableView>
#include <QWidget>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using namespace tarnwick;
using Clock = std::chrono::steady_clock;

constexpr uint64_t kBodySize = 512ull * 1024 * 1024;
constexpr int kRounds = 3;

// The file transfer's progress handling: a percentage of a known size, or
// the size so far, written straight into the item's status cell.
class StatusCellWriter : public transfer::DownloadEvents {
public:
    StatusCellWriter(platform::Grid& grid, bool size_known)
        : grid_(grid), size_known_(size_known) {}
    void DownloadProgress(int64_t lProgress) override {
        const std::string status =
            size_known_ ? std::to_string(lProgress)
                        : resolve::FormatFileSize(static_cast<float>(lProgress)) + "so far..";
        grid_.SetCellValue(0, list::kColumnStatus, status);
    }
    void DownloadComplete() override { completed = true; }
    bool completed = false;

private:
    platform::Grid& grid_;
    bool size_known_;
};

// A run's wall-clock time and the processor time of its receiving side: the
// component's thread, or the curl process. The server thread is not counted.
struct RunTime {
    double wall = -1;
    double cpu = 0;
};

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double ChildrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Megabytes() { return static_cast<double>(kBodySize) / 1e6; }

bool HasWholeBody(const std::string& path) {
    std::error_code error;
    return std::filesystem::file_size(path, error) == kBodySize && !error;
}

// One transfer through the component; a negative wall time when it failed.
RunTime ComponentRun(platform::Grid& grid, const std::string& url, const std::string& file,
                     bool size_known) {
    qt::QtEventPump pump;
    platform::curl::CurlHttpClient client(pump);
    transfer::Download download(client, pump);
    StatusCellWriter writer(grid, size_known);
    download.SetEvents(&writer);
    download.SetUrl(url);
    download.SetLocalFile(file);
    download.RequestInformation();
    if (!size_known) download.SetFileSize(-1);
    const double cpu_start = ThreadCpuSeconds();
    const Clock::time_point start = Clock::now();
    const bool done = download.StartDownload();
    RunTime run{std::chrono::duration<double>(Clock::now() - start).count(),
                ThreadCpuSeconds() - cpu_start};
    if (!done || !writer.completed || !HasWholeBody(file)) run.wall = -1;
    std::filesystem::remove(file);
    return run;
}

RunTime CurlToolRun(const std::string& url, const std::string& file) {
    const std::string command = "curl --silent --show-error --output '" + file + "' '" + url + "'";
    const double cpu_start = ChildrenCpuSeconds();
    const Clock::time_point start = Clock::now();
    const int status = std::system(command.c_str());
    RunTime run{std::chrono::duration<double>(Clock::now() - start).count(),
                ChildrenCpuSeconds() - cpu_start};
    if (status != 0 || !HasWholeBody(file)) run.wall = -1;
    std::filesystem::remove(file);
    return run;
}

// The best of the rounds of one kind: the highest rate of each measure.
struct Best {
    double per_second = 0;
    double per_cpu_second = 0;
    void Add(const RunTime& run) {
        per_second = std::max(per_second, Megabytes() / run.wall);
        per_cpu_second = std::max(per_cpu_second, Megabytes() / run.cpu);
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    test_support::TempFolder folder;
    test_support::LoopbackServer server;
    server.Serve(
        "/body",
        test_support::Answer()
            .Head("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kBodySize) + "\r\n\r\n")
            .GeneratedBody(kBodySize));
    const std::string url = server.Url("/body");

    QWidget window;
    qt::QtGrid grid(&window);
    grid.Widget()->resize(640, 120);
    window.resize(640, 120);
    window.show();
    auto view = std::make_shared<list::DownloadView>();
    list::DownloadViewRow& row = view->AppendRow();
    row.ID = 1;
    row.Video_URL = url;
    row.FileName = "body.flv";
    row.Status = "Start Downloading...";
    row.FileSize = "512 MB";
    grid.Bind(view);

    std::printf("transfer_bench: %llu bytes from 127.0.0.1, %d rounds each, best round counts\n",
                static_cast<unsigned long long>(kBodySize), kRounds);
    Best percent, bytes, tool;
    for (int round = 1; round <= kRounds; ++round) {
        const RunTime p = ComponentRun(grid, url, folder.File("percent.bin"), true);
        const RunTime b = ComponentRun(grid, url, folder.File("bytes.bin"), false);
        const RunTime t = CurlToolRun(url, folder.File("curl.bin"));
        if (p.wall < 0 || b.wall < 0 || t.wall < 0) {
            std::fprintf(stderr, "transfer_bench: a transfer failed in round %d\n", round);
            return 1;
        }
        std::printf(
            "  round %d: component %.0f MB/s (percent status), %.0f MB/s (size-so-far "
            "status); curl tool %.0f MB/s\n",
            round, Megabytes() / p.wall, Megabytes() / b.wall, Megabytes() / t.wall);
        percent.Add(p);
        bytes.Add(b);
        tool.Add(t);
    }
    std::printf("%-34s %8s %18s\n", "", "MB/s", "MB per CPU second");
    std::printf("%-34s %8.0f %18.0f\n", "component, percent status", percent.per_second,
                percent.per_cpu_second);
    std::printf("%-34s %8.0f %18.0f\n", "component, size-so-far status", bytes.per_second,
                bytes.per_cpu_second);
    std::printf("%-34s %8.0f %18.0f\n", "curl tool", tool.per_second, tool.per_cpu_second);
    std::printf("ratio to curl, percent status:      %.2f (MB/s, target 0.80), %.2f (CPU)\n",
                percent.per_second / tool.per_second, percent.per_cpu_second / tool.per_cpu_second);
    std::printf("ratio to curl, size-so-far status:  %.2f (MB/s), %.2f (CPU)\n",
                bytes.per_second / tool.per_second, bytes.per_cpu_second / tool.per_cpu_second);
    return 0;
}
