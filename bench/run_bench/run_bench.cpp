// A download run over 200 items (small pages, 1 MiB files) against a
// loopback server, with the real Qt grid bound offscreen. Prints items per
// second, the share of the run spent rebuilding the grid's view, and the
// longest time the window went without processing its events.
#include "common/main_state.h"
#include "curl/curl_http_client.h"
#include "driver/run_control.h"
#include "driver/transfer_event_handler.h"
#include "list/download_list.h"
#include "list/download_listing.h"
#include "platform/connectivity.h"
#include "platform/run_captions.h"
#include "platform/skin_player.h"
#include "qt/qt_grid.h"
#include "qt/qt_message_box.h"
#include "qt/qt_timer.h"
#include "resolve/link_resolver.h"
#include "shell/grid_presentation.h"
#include "support/loopback_server.h"
#include "support/temp_folder.h"

#include <QApplication>
#include <QTableView>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
using namespace tarnwick;

constexpr int kItems = 200;
constexpr uint64_t kFileSize = 1 << 20;

// Processes events at most every 2 ms, as the program's pump does, and
// remembers the longest gap between two rounds that processed events.
class MeasuringPump : public platform::EventPump {
public:
    void ProcessEvents() override {
        const Clock::time_point now = Clock::now();
        if (now - last_round_ < std::chrono::milliseconds(2)) return;
        longest_gap_ = std::max(longest_gap_, now - last_round_);
        QCoreApplication::processEvents();
        last_round_ = Clock::now();
    }
    void Restart() {
        last_round_ = Clock::now();
        longest_gap_ = {};
    }
    double LongestGapMs() const {
        return std::chrono::duration<double, std::milli>(longest_gap_).count();
    }

private:
    Clock::time_point last_round_ = Clock::now();
    Clock::duration longest_gap_{};
};

struct Connected : platform::Connectivity {
    bool HasConnection() override { return true; }
};
struct NoCaptions : platform::RunCaptions {
    void ShowStartButtonCaption(const std::string&) override {}
    void ShowTrayEntryCaption(const std::string&) override {}
};
struct NoSkin : platform::SkinPlayer {
    void SetVariable(const std::string&, const std::string&) override {}
    std::string GetVariable(const std::string&) override { return {}; }
    void SetCommandListener(platform::SkinCommandListener*) override {}
};

// The real grid, counting how often a rebuild re-binds it.
class CountingGrid : public qt::QtGrid {
public:
    using QtGrid::QtGrid;
    void Bind(std::shared_ptr<list::DownloadView> view) override {
        ++binds;
        QtGrid::Bind(std::move(view));
    }
    int binds = 0;
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

} // namespace

int main(int argc, char* argv[]) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    test_support::TempFolder folder;
    test_support::LoopbackServer server;
    for (int i = 0; i < kItems; ++i) {
        const std::string id = std::to_string(i);
        server.Serve("/putfile.com/" + id,
                     test_support::Answer::Http(
                         200, "OK", {}, "<a href='" + server.Url("/files/" + id + ".flv") + "'>"));
        server.Serve("/files/" + id + ".flv", test_support::Answer()
                                                  .Head("HTTP/1.1 200 OK\r\nContent-Length: " +
                                                        std::to_string(kFileSize) + "\r\n\r\n")
                                                  .GeneratedBody(kFileSize));
    }

    QWidget window;
    window.resize(648, 585);
    MainState state;
    state.DownloadDir = folder.File("videos");
    list::DownloadList list;
    MeasuringPump pump;
    qt::QtMessageBox box(&window);
    CountingGrid grid(&window);
    grid.Widget()->setGeometry(36, 259, 572, 179);
    shell::GridPresentation presentation(state, grid);
    list::DownloadListing listing(state, list, pump, box, grid, presentation);
    platform::curl::CurlHttpClient client(pump);
    transfer::Download download(client, pump);
    driver::TransferEventHandler handler(state, list, grid, listing, download);
    download.SetEvents(&handler);
    resolve::LinkResolver resolver(state, download, folder.File("cache/Parse.wvi"));
    Connected connectivity;
    NoSkin skin;
    NoCaptions captions;
    qt::QtTimer timer;
    driver::RunControl run({state, list, listing, presentation, resolver, download, box,
                            connectivity, skin, captions, timer});
    window.show();
    for (int i = 0; i < kItems; ++i)
        list.AddItem(server.Url("/putfile.com/" + std::to_string(i)), "Waiting (Auto Detect)", "",
                     "");
    listing.FillDownloadList();

    pump.Restart();
    grid.binds = 0;
    const Clock::time_point start = Clock::now();
    run.cmdStartDownload_Click();
    const Clock::duration run_time = Clock::now() - start;
    const double stall = pump.LongestGapMs();
    const int rebuilds = grid.binds;

    int complete = 0;
    for (const auto& item : list.Items()) complete += item.Status == "Complete";
    // Time the same rebuild on its own, and count it as often as the run did.
    constexpr int kSamples = 50;
    const Clock::time_point fill_start = Clock::now();
    for (int i = 0; i < kSamples; ++i) listing.FillDownloadList();
    const double fill_ms = Ms(Clock::now() - fill_start) / kSamples;
    const double rebuild_share = fill_ms * rebuilds / Ms(run_time);

    std::printf("items complete:            %d of %d\n", complete, kItems);
    std::printf("run time:                  %.0f ms\n", Ms(run_time));
    std::printf("items per second:          %.1f\n", kItems / (Ms(run_time) / 1000.0));
    std::printf("view rebuilds:             %d, %.3f ms each (%d rows)\n", rebuilds, fill_ms,
                kItems);
    std::printf("view rebuild share:        %.1f %% (target < 20 %%)\n", rebuild_share * 100.0);
    std::printf("longest stall:             %.1f ms (target < 50 ms)\n", stall);
    return complete == kItems ? 0 : 1;
}
