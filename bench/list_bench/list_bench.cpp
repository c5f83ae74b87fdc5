// Times one rebuild of the download grid's view with the real Qt grid bound
// (offscreen), for 1,000 and 10,000 items.
#include "common/main_state.h"
#include "list/download_list.h"
#include "list/download_listing.h"
#include "qt/qt_event_pump.h"
#include "qt/qt_grid.h"
#include "qt/qt_message_box.h"
#include "shell/grid_presentation.h"

#include <QApplication>
#include <QTableView>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

double TimeOneFill(int items, int pump_interval_ms) {
    using namespace tarnwick;
    QWidget window;
    window.resize(648, 585);
    MainState state;
    list::DownloadList list;
    qt::QtEventPump pump(pump_interval_ms);
    qt::QtMessageBox box(&window);
    qt::QtGrid grid(&window);
    grid.Widget()->setGeometry(36, 259, 572, 179);
    shell::GridPresentation presentation(state, grid);
    list::DownloadListing listing(state, list, pump, box, grid, presentation);
    window.show();
    for (int i = 0; i < items; ++i) {
        list.AddItem("http://www.youtube.com/watch?v=item" + std::to_string(i),
                     "Waiting (Auto Detect)", "Waiting", "????");
    }
    listing.FillDownloadList(); // first fill sets the grid up
    QApplication::processEvents();
    const auto start = std::chrono::steady_clock::now();
    listing.FillDownloadList();
    const auto end = std::chrono::steady_clock::now();
    QApplication::processEvents();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    for (const int items : {1000, 10000}) {
        std::printf("FillDownloadList of %5d items: %7.2f ms (target for 10000: < 100 ms)\n", items,
                    TimeOneFill(items, 2));
    }
    // For comparison: a pump that processes events on every one of its 14 rounds per row.
    std::printf("unthrottled pump, 10000 items: %7.2f ms\n", TimeOneFill(10000, 0));
    return 0;
}
