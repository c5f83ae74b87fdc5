#include "contenders.h"

#include "app/tarnwick_app.h"
#include "child_run.h"
#include "fakes/fake_app_paths.h"
#include "fakes/fake_shell_launch.h"
#include "list/item_texts.h"
#include "list/reason_texts.h"
#include "playlist_site.h"
#include "qt/qt_child_processes.h"
#include "support/temp_folder.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <filesystem>

namespace tarnwick::bench {
namespace {

constexpr const char* kYtDlp = "/usr/bin/yt-dlp";
// A run that takes longer than this has failed.
constexpr int kRunLimitMs = 20 * 60 * 1000;
constexpr int kPollMs = 10;

struct Connected : platform::Connectivity {
    bool HasConnection() override { return true; }
};

bool AllEntriesComplete(const list::DownloadQueue& queue) {
    if (queue.Count() != kEntries) return false;
    for (int p = 0; p < queue.Count(); ++p) {
        if (queue.At(p).state != list::ItemState::kComplete) return false;
    }
    return true;
}

// How many items are complete, and the first that is not, with its reason.
std::string QueueProblem(const list::DownloadQueue& queue) {
    int complete = 0;
    std::string other;
    for (int p = 0; p < queue.Count(); ++p) {
        const list::DownloadItem& item = queue.At(p);
        if (item.state == list::ItemState::kComplete) {
            ++complete;
        } else if (other.empty()) {
            other = "; " + item.page_address + ": " + list::StatusText(item) + ", " +
                    list::ReasonText(item);
        }
    }
    return std::to_string(complete) + " of " + std::to_string(queue.Count()) + " items complete" +
           other;
}

// Runs Qt's events until every entry is complete, the run ends or the
// limit comes; the seconds since `timer` started.
double WaitForEntries(app::TarnwickApp& tarnwick, const QElapsedTimer& timer) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (AllEntriesComplete(tarnwick.queue) || !tarnwick.run.IsRunning()) loop.quit();
    });
    poll.start(kPollMs);
    QTimer::singleShot(kRunLimitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

} // namespace

TimedRun RunProgram(const std::string& feed_url, int downloads_at_once) {
    test_support::TempFolder folder;
    fakes::FakeAppPaths paths;
    paths.program_folder = TARNWICK_PROGRAM_DIR;
    paths.home_folder = folder.File("home");
    std::filesystem::create_directory(paths.home_folder);
    paths.cache_folder = folder.File("cache");
    paths.data_folder = folder.File("data");
    fakes::FakeShellLaunch launch;
    Connected connected;
    // Other programs, yt-dlp among them, are found in /usr/bin alone.
    qt::QtChildProcesses children({QStringLiteral("/usr/bin")});
    app::AppOverrides overrides;
    overrides.paths = &paths;
    overrides.launch = &launch;
    overrides.connectivity = &connected;
    overrides.children = &children;
    overrides.user_settings = qt::SettingsLocation{QString::fromStdString(folder.File("t.conf"))};
    app::TarnwickApp tarnwick(overrides);
    tarnwick.Start();
    const std::string videos = folder.File("videos");
    tarnwick.settings_values.download_dir = videos;
    tarnwick.settings_values.other_sites = true;
    tarnwick.settings_values.use_ytdlp = true;
    tarnwick.settings_values.downloads_at_once = downloads_at_once;

    QElapsedTimer timer;
    timer.start();
    tarnwick.address_entry.Add(feed_url);
    tarnwick.run_commands.ToggleRun();
    TimedRun run{WaitForEntries(tarnwick, timer), std::nullopt};
    if (!AllEntriesComplete(tarnwick.queue)) {
        run.problem = QueueProblem(tarnwick.queue);
    } else {
        run.problem = FolderProblem(videos);
    }
    return run;
}

TimedRun RunYtDlp(const std::string& feed_url) {
    test_support::TempFolder folder;
    const std::string videos = folder.File("videos");
    std::filesystem::create_directory(videos);
    const std::string log = folder.File("yt-dlp.log");
    const auto start = std::chrono::steady_clock::now();
    const bool ended_well =
        RunToEnd({kYtDlp, "-N", "4", "-o", "%(title)s.%(ext)s", feed_url}, log, videos);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    TimedRun run{took.count(), std::nullopt};
    run.problem = ended_well ? FolderProblem(videos) : "yt-dlp failed: " + LastLine(log);
    return run;
}

} // namespace tarnwick::bench
