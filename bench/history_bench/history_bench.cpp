// The history at 100,000 entries: the "downloaded before" check of an
// address, a search as it is typed (the count and the first page of rows, as
// the History page reads them), and start-up with such a history against
// one without. Each start is a process of its own, timed from the outside
// to the skin's first painted frame, in turns with and without the history.
#include "app/malloc_arena.h"
#include "app/tarnwick_app.h"
#include "qt/qml_skin_player.h"
#include "sqlite/sqlite_history.h"

#include "fakes/fake_app_paths.h"
#include "fakes/fake_shell_launch.h"
#include "support/temp_folder.h"

#include <QApplication>
#include <QEvent>
#include <QQuickWidget>

#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kEntries = 100000;
constexpr int kStartRounds = 5;
const std::vector<std::string> kWords = {
    "harbour",  "canal",  "lecture", "river",  "delta",  "night",   "train", "vienna",
    "boats",    "dawn",   "concert", "piano",  "sonata", "recipe",  "bread", "garden",
    "tutorial", "guitar", "chords",  "review", "camera", "weather", "storm", "mountain"};

double Percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(values.size() * share))];
}

std::string Address(int i) { return "https://videos.example/watch/" + std::to_string(i); }

// A list database whose history holds kEntries videos of made-up titles.
void FillHistory(const std::string& path) {
    { tarnwick::sqlite::SqliteListStore make(path); }
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO history (page_address, identity, title, path, size, "
                       "completed_at, origin) VALUES (?1, ?2, ?3, ?4, ?5, ?6, 0)",
                       -1, &insert, nullptr);
    std::mt19937 random(7);
    for (int i = 0; i < kEntries; ++i) {
        std::string title;
        for (int w = 0; w < 5; ++w) title += (w ? " " : "") + kWords[random() % kWords.size()];
        title += " " + std::to_string(i);
        const std::string address = Address(i), identity = "generic " + std::to_string(i);
        const std::string file = "/home/ann/Videos/" + title + ".mp4";
        sqlite3_bind_text(insert, 1, address.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, identity.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, file.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 5, 1000000 + i);
        sqlite3_bind_int64(insert, 6, 1700000000 + i * 60);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

template <typename Work>
std::vector<double> Timed(int times, Work work) {
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) {
        const auto start = Clock::now();
        work(i);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return ms;
}

void MeasureQueries(const std::string& path) {
    tarnwick::sqlite::SqliteListStore list(path);
    tarnwick::sqlite::SqliteHistory history(list);
    std::mt19937 random(11);
    // Half the addresses were downloaded, half were not.
    const std::vector<double> checks = Timed(4000, [&](int i) {
        const int n = static_cast<int>(random() % (2 * kEntries));
        (void)history.FindVideo(Address(n), i % 2 ? "generic " + std::to_string(n) : "");
    });
    // Each word typed letter by letter, then a second word after it.
    std::vector<std::string> typed;
    for (const std::string& word : kWords) {
        for (size_t n = 1; n <= word.size(); ++n) typed.push_back(word.substr(0, n));
        for (size_t n = 1; n <= 4; ++n) typed.push_back(word + " " + kWords[n].substr(0, n));
    }
    const std::vector<double> searches = Timed(static_cast<int>(typed.size()), [&](int i) {
        (void)history.Count(typed[i]);
        (void)history.Page(typed[i], 0, 30);
    });
    std::printf(
        "downloaded-before check, %d entries: median %.3f ms, p99 %.3f ms (target p99 < 1 ms)\n",
        kEntries, Percentile(checks, 0.5), Percentile(checks, 0.99));
    std::printf(
        "search as you type, %zu keystrokes: median %.2f ms, p99 %.2f ms, worst %.2f ms "
        "(target p99 < 30 ms)\n",
        typed.size(), Percentile(searches, 0.5), Percentile(searches, 0.99),
        Percentile(searches, 1.0));
}

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

class FirstFrame : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return false;
    }
    bool painted = false;
};

// Starts the program on the data folder given, prints "frame" at its first
// painted frame and then its resident memory.
int RunChild(int argc, char* argv[], const std::string& data_folder) {
    tarnwick::app::UseOneMallocArena();
    QApplication app(argc, argv);
    tarnwick::qt::ChooseSkinRenderer();
    tarnwick::test_support::TempFolder folder;
    tarnwick::fakes::FakeAppPaths paths;
    paths.program_folder = TARNWICK_PROGRAM_DIR;
    paths.home_folder = folder.File("home");
    std::filesystem::create_directory(paths.home_folder);
    paths.cache_folder = folder.File("cache");
    paths.data_folder = data_folder;
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
    std::printf("frame\n");
    std::fflush(stdout);
    QApplication::processEvents();
    std::printf("rss %ld\n", ResidentKiB());
    return 0;
}

struct Start {
    double frame_ms = -1;
    long rss_kib = -1;
};

Start TimedChild(const char* self, const std::string& data_folder) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::string flag = "--child", folder = data_folder;
    char* child_argv[] = {const_cast<char*>(self), flag.data(), folder.data(), nullptr};
    const auto start = Clock::now();
    pid_t child = 0;
    Start measured;
    if (posix_spawn(&child, "/proc/self/exe", &actions, nullptr, child_argv, environ) != 0)
        return measured;
    close(fds[1]);
    FILE* from_child = fdopen(fds[0], "r");
    char line[128];
    while (std::fgets(line, sizeof line, from_child) != nullptr) {
        if (std::string(line) == "frame\n")
            measured.frame_ms =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::sscanf(line, "rss %ld", &measured.rss_kib);
    }
    fclose(from_child);
    int status = 0;
    waitpid(child, &status, 0);
    return measured;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 2 && std::string(argv[1]) == "--child") return RunChild(argc, argv, argv[2]);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    tarnwick::test_support::TempFolder folder;
    const std::string with = folder.File("with"), without = folder.File("without");
    std::filesystem::create_directories(with);
    std::filesystem::create_directories(without);
    FillHistory(with + "/downloads.db");
    MeasureQueries(with + "/downloads.db");
    std::vector<double> frames_with, frames_without, rss_with, rss_without;
    for (int round = 0; round < kStartRounds; ++round) {
        const Start a = TimedChild(argv[0], without), b = TimedChild(argv[0], with);
        frames_without.push_back(a.frame_ms);
        frames_with.push_back(b.frame_ms);
        rss_without.push_back(a.rss_kib / 1024.0);
        rss_with.push_back(b.rss_kib / 1024.0);
    }
    const double frame_a = Percentile(frames_without, 0.5), frame_b = Percentile(frames_with, 0.5);
    const double rss_a = Percentile(rss_without, 0.5), rss_b = Percentile(rss_with, 0.5);
    std::printf("first frame, without a history: median %.1f ms, worst %.1f ms\n", frame_a,
                Percentile(frames_without, 1.0));
    std::printf("first frame, %d entries:    median %.1f ms, worst %.1f ms\n", kEntries, frame_b,
                Percentile(frames_with, 1.0));
    std::printf("first frame with the history: %+.1f ms, %.3f x (target within +10 ms)\n",
                frame_b - frame_a, frame_b / frame_a);
    std::printf(
        "resident memory with the history: %+.2f MiB, %.3f x (%.1f against %.1f MiB; "
        "target within +8 MiB)\n",
        rss_b - rss_a, rss_b / rss_a, rss_b, rss_a);
    return 0;
}
