// Start-up of the real program, offscreen: the time from process start to
// the skin's first painted frame, and the resident memory after start-up and
// with a full list of 32,767 items shown. The benchmark starts itself as a
// child process and times it from the outside. The child then starts the
// program again and again, in turns with an empty kept list and with the
// full one, and times each start: the difference is the list's load.
#include "app/malloc_arena.h"
#include "app/tarnwick_app.h"
#include "qt/qml_skin_player.h"

#include "fakes/fake_app_paths.h"
#include "fakes/fake_shell_launch.h"
#include "list/add_video_url.h"
#include "support/temp_folder.h"

#include <QApplication>
#include <QEvent>
#include <QQuickWidget>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kItems = tarnwick::list::DownloadQueue::kMaxItems;
constexpr int kStartRounds = 7;

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// Tells the parent, once, when the skin has painted its first frame.
class FirstFrame : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            std::printf("frame\n");
            std::fflush(stdout);
        }
        return false;
    }
    bool painted = false;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds from a new program to its started window, with its data in `data_folder`.
double TimedStart(tarnwick::fakes::FakeAppPaths& paths, const std::string& data_folder,
                  const tarnwick::app::AppOverrides& overrides) {
    paths.data_folder = data_folder;
    const auto start = std::chrono::steady_clock::now();
    tarnwick::app::TarnwickApp tarnwick(overrides);
    if (!tarnwick.Start()) return -1;
    QApplication::processEvents();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

int RunChild(int argc, char* argv[]) {
    // As the program starts.
    tarnwick::app::UseOneMallocArena();
    QApplication app(argc, argv);
    // As the program draws its skin.
    tarnwick::qt::ChooseSkinRenderer();
    tarnwick::test_support::TempFolder folder;
    tarnwick::fakes::FakeAppPaths paths;
    paths.program_folder = TARNWICK_PROGRAM_DIR;
    paths.home_folder = folder.File("home");
    std::filesystem::create_directory(paths.home_folder);
    paths.cache_folder = folder.File("cache");
    paths.data_folder = folder.File("full");
    tarnwick::fakes::FakeShellLaunch launch;
    tarnwick::app::AppOverrides overrides;
    overrides.paths = &paths;
    overrides.launch = &launch;
    overrides.user_settings =
        tarnwick::qt::SettingsLocation{QString::fromStdString(folder.File("t.conf"))};
    {
        tarnwick::app::TarnwickApp tarnwick(overrides);
        FirstFrame first_frame;
        tarnwick.window.Skin().Widget()->installEventFilter(&first_frame);
        if (!tarnwick.Start()) return 1;
        while (!first_frame.painted) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        std::printf("rss-start %ld\n", ResidentKiB());
        for (int i = 0; i < kItems; ++i) {
            tarnwick::list::AddVideoURL(tarnwick.queue,
                                        "http://www.youtube.com/watch?v=item" + std::to_string(i));
        }
        QApplication::processEvents();
        std::printf("rss-items %ld\n", ResidentKiB());
        std::fflush(stdout);
    }
    std::vector<double> empty, full;
    for (int round = 0; round < kStartRounds; ++round) {
        empty.push_back(TimedStart(paths, folder.File("empty"), overrides));
        full.push_back(TimedStart(paths, folder.File("full"), overrides));
    }
    std::printf("start-empty %.2f\nstart-full %.2f\n", Median(empty), Median(full));
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && std::string(argv[1]) == "--child") return RunChild(argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return 1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
    char child_flag[] = "--child";
    char* child_argv[] = {argv[0], child_flag, nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, "/proc/self/exe", &actions, nullptr, child_argv, environ) != 0)
        return 1;
    close(pipe_fds[1]);
    FILE* from_child = fdopen(pipe_fds[0], "r");
    char line[128];
    double frame_ms = -1;
    long rss_start = -1, rss_items = -1;
    double start_empty = -1, start_full = -1;
    while (std::fgets(line, sizeof line, from_child) != nullptr) {
        const std::string text = line;
        if (text == "frame\n") {
            frame_ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
        }
        std::sscanf(line, "rss-start %ld", &rss_start);
        std::sscanf(line, "rss-items %ld", &rss_items);
        std::sscanf(line, "start-empty %lf", &start_empty);
        std::sscanf(line, "start-full %lf", &start_full);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::printf("process start to first frame: %7.1f ms  (target < 400 ms)\n", frame_ms);
    std::printf("resident after start-up:      %7.1f MiB\n", rss_start / 1024.0);
    std::printf("resident with %d items:    %7.1f MiB (target <= 72 MiB)\n", kItems,
                rss_items / 1024.0);
    std::printf("start, empty kept list:       %7.1f ms  (median of %d, in turns with the next)\n",
                start_empty, kStartRounds);
    std::printf("start, %d kept items:      %7.1f ms\n", kItems, start_full);
    std::printf("loading the kept list:        %7.1f ms  (target < 150 ms)\n",
                start_full - start_empty);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
