// Start-up of the real program, offscreen: the time from process start to
// the skin's first painted frame, and the resident memory after start-up and
// with a full list of 32,767 items shown. The benchmark starts itself as a child process
// and times it from the outside.
#include "app/tarnwick_app.h"

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

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

extern char** environ;

namespace {

constexpr int kItems = tarnwick::list::DownloadQueue::kMaxItems;

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

int RunChild(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tarnwick::test_support::TempFolder folder;
    tarnwick::fakes::FakeAppPaths paths;
    paths.program_folder = TARNWICK_PROGRAM_DIR;
    paths.home_folder = folder.File("home");
    std::filesystem::create_directory(paths.home_folder);
    paths.cache_folder = folder.File("cache");
    tarnwick::fakes::FakeShellLaunch launch;
    tarnwick::app::AppOverrides overrides;
    overrides.paths = &paths;
    overrides.launch = &launch;
    overrides.user_settings =
        tarnwick::qt::SettingsLocation{QString::fromStdString(folder.File("t.conf"))};
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
    while (std::fgets(line, sizeof line, from_child) != nullptr) {
        const std::string text = line;
        if (text == "frame\n") {
            frame_ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
        }
        std::sscanf(line, "rss-start %ld", &rss_start);
        std::sscanf(line, "rss-items %ld", &rss_items);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::printf("process start to first frame: %7.1f ms  (target < 400 ms)\n", frame_ms);
    std::printf("resident after start-up:      %7.1f MiB\n", rss_start / 1024.0);
    std::printf("resident with %d items:    %7.1f MiB (target <= 72 MiB)\n", kItems,
                rss_items / 1024.0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
