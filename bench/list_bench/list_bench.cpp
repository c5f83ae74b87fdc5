// Single changes to a full queue of 32,767 items with the real grid bound and
// shown (offscreen): an insert, a move and a removal, each timed together with
// the repaint it causes. Prints the median and the worst of the samples. Then
// "select all" and "remove" of the whole list, kept in SQLite, as one command,
// and the undo that puts it back.
#include "list/add_video_url.h"
#include "list/download_queue.h"
#include "list/list_keeper.h"
#include "qt/qt_clock.h"
#include "qt/qt_grid.h"
#include "shell/grid_commands.h"
#include "shell/grid_setup.h"
#include "shell/removals.h"
#include "sqlite/sqlite_list_store.h"
#include "support/temp_folder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace tarnwick;

constexpr int kSamples = 40;

std::string Address(int id) { return "http://www.youtube.com/watch?v=item" + std::to_string(id); }

// The change and the repaint it causes, in milliseconds.
double TimedChange(const std::function<void()>& change) {
    QElapsedTimer timer;
    timer.start();
    change();
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void Print(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    std::printf("%-44s median %6.3f ms, worst %6.3f ms (target < 1 ms)\n", what,
                samples[samples.size() / 2], samples.back());
}

// The removals' messages go nowhere.
struct SilentMessages : shell::StatusMessages {
    void ShowMessage(const std::string&, platform::Duration) override {}
    void ShowMessage(const std::string&) override {}
};

} // namespace

int main(int argc, char* argv[]) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QWidget window;
    window.resize(648, 585);
    list::DownloadQueue queue;
    qt::QtGrid grid(queue, &window);
    grid.Widget()->setGeometry(36, 259, 572, 179);
    shell::SetUpGrid(grid);
    window.show();
    int next_id = 0;
    for (; next_id < list::DownloadQueue::kMaxItems - 1; ++next_id) {
        list::AddVideoURL(queue, Address(next_id));
    }
    QApplication::processEvents();

    std::vector<double> inserts, removals, moves_shown, moves_far;
    for (int sample = 0; sample < kSamples; ++sample) {
        // The 32,767th item comes and goes.
        inserts.push_back(TimedChange([&] { list::AddVideoURL(queue, Address(next_id++)); }));
        queue.Remove(queue.LastKey());
        // The first item goes, and one comes back at the end.
        removals.push_back(TimedChange([&] { queue.Remove(queue.At(0).key); }));
        list::AddVideoURL(queue, Address(next_id++));
        QApplication::processEvents();
        // An item in view, and one far out of view, move down a row.
        moves_shown.push_back(TimedChange([&] { queue.MoveDown(queue.At(2).key); }));
        moves_far.push_back(TimedChange([&] { queue.MoveDown(queue.At(20000).key); }));
    }
    std::printf("%d items shown, %d samples each:\n", queue.Count(), kSamples);
    Print("insert at the end:", inserts);
    Print("removal of the first item:", removals);
    Print("move of an item in view:", moves_shown);
    Print("move of an item far out of view:", moves_far);

    // The whole list, kept, selected and removed by the grid's commands.
    test_support::TempFolder folder;
    sqlite::SqliteListStore store(folder.File("downloads.db"));
    qt::QtClock clock;
    list::ListKeeper keeper(queue, store, clock);
    const settings::AppSettings settings;
    driver::PartFiles part_files(queue);
    SilentMessages messages;
    shell::Removals taken_back(queue, part_files, messages, clock);
    shell::GridCommands commands(queue, grid, settings, taken_back);
    std::vector<double> bulk, undo;
    for (int round = 0; round < 5; ++round) {
        keeper.SetKeeping(false);
        while (queue.Count() < list::DownloadQueue::kMaxItems) {
            list::AddVideoURL(queue, Address(next_id++));
        }
        keeper.SetKeeping(true);
        QApplication::processEvents();
        bulk.push_back(TimedChange([&] {
            commands.SelectAll();
            commands.RemoveSelected();
        }));
        undo.push_back(TimedChange([&] { taken_back.Undo(); }));
        commands.SelectAll();
        commands.RemoveSelected();
    }
    std::sort(bulk.begin(), bulk.end());
    std::sort(undo.begin(), undo.end());
    std::printf("%-44s median %6.1f ms, worst %6.1f ms (target < 100 ms)\n",
                "select all and remove 32,767 kept items:", bulk[bulk.size() / 2], bulk.back());
    std::printf("%-44s median %6.1f ms, worst %6.1f ms (target < 300 ms)\n",
                "undo of that removal:", undo[undo.size() / 2], undo.back());
    return 0;
}
