// Downloads a 512 MiB body from a loopback server through the Download
// component, with the Qt event pump and a progress handler that writes the
// status text into a grid cell on screen, and the same body with the curl
// tool; prints the throughput of both and their ratio. Files go into a
// temporary folder that is removed at the end.
#include "list/download_view.h"
#include "platform/curl/curl_http_client.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_grid.h"
#include "resolve/file_naming.h"
#include "support/loopback_server.h"
#include "support/temp_folder.h"
#include "transfer/download.h"

#include <QApplication>
#include <QTableView>
#include <QWidget>

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

double MegabytesPerSecond(Clock::duration took) {
    return static_cast<double>(kBodySize) / 1e6 / std::chrono::duration<double>(took).count();
}

bool HasWholeBody(const std::string& path) {
    std::error_code error;
    return std::filesystem::file_size(path, error) == kBodySize && !error;
}

// One transfer through the component; a negative duration when it failed.
Clock::duration ComponentRun(platform::Grid& grid, const std::string& url, const std::string& file,
                             bool size_known) {
    platform::qt::QtEventPump pump;
    platform::curl::CurlHttpClient client(pump);
    transfer::Download download(client, pump);
    StatusCellWriter writer(grid, size_known);
    download.SetEvents(&writer);
    download.SetUrl(url);
    download.SetLocalFile(file);
    download.RequestInformation();
    if (!size_known) download.SetFileSize(-1);
    const Clock::time_point start = Clock::now();
    const bool done = download.StartDownload();
    const Clock::duration took = Clock::now() - start;
    std::filesystem::remove(file);
    return done && writer.completed ? took : Clock::duration(-1);
}

Clock::duration CurlToolRun(const std::string& url, const std::string& file) {
    const std::string command = "curl --silent --show-error --output '" + file + "' '" + url + "'";
    const Clock::time_point start = Clock::now();
    const int status = std::system(command.c_str());
    const Clock::duration took = Clock::now() - start;
    const bool whole = status == 0 && HasWholeBody(file);
    std::filesystem::remove(file);
    return whole ? took : Clock::duration(-1);
}

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
    platform::qt::QtGrid grid(&window);
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
    double best_percent = 0, best_bytes = 0, best_curl = 0;
    for (int round = 1; round <= kRounds; ++round) {
        const auto percent = ComponentRun(grid, url, folder.File("percent.bin"), true);
        const auto bytes = ComponentRun(grid, url, folder.File("bytes.bin"), false);
        const auto tool = CurlToolRun(url, folder.File("curl.bin"));
        if (percent.count() < 0 || bytes.count() < 0 || tool.count() < 0) {
            std::fprintf(stderr, "transfer_bench: a transfer failed in round %d\n", round);
            return 1;
        }
        std::printf(
            "  round %d: component %.0f MB/s (percent), %.0f MB/s (bytes so far), "
            "curl tool %.0f MB/s\n",
            round, MegabytesPerSecond(percent), MegabytesPerSecond(bytes),
            MegabytesPerSecond(tool));
        best_percent = std::max(best_percent, MegabytesPerSecond(percent));
        best_bytes = std::max(best_bytes, MegabytesPerSecond(bytes));
        best_curl = std::max(best_curl, MegabytesPerSecond(tool));
    }
    std::printf("component, percentage status: %.0f MB/s\n", best_percent);
    std::printf("component, size-so-far status: %.0f MB/s\n", best_bytes);
    std::printf("curl tool: %.0f MB/s\n", best_curl);
    std::printf("ratio (percentage status / curl): %.2f (target 0.80)\n", best_percent / best_curl);
    std::printf("ratio (size-so-far status / curl): %.2f\n", best_bytes / best_curl);
    return 0;
}
