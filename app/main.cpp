// Tarnwick: wires the desktop services to the program's logic and shows the
// main window.
#include "common/app_info.h"
#include "common/main_state.h"
#include "list/download_list.h"
#include "list/download_listing.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_grid.h"
#include "platform/qt/qt_message_box.h"
#include "shell/grid_presentation.h"

#include <QApplication>
#include <QTableView>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(tarnwick::kAppTitle);

    QWidget window;
    window.setWindowTitle(tarnwick::kAppTitle);
    window.setFixedSize(648, 585);

    tarnwick::MainState state;
    tarnwick::list::DownloadList list;
    tarnwick::platform::qt::QtEventPump pump;
    tarnwick::platform::qt::QtMessageBox box(&window);
    tarnwick::platform::qt::QtGrid grid(&window);
    grid.Widget()->setGeometry(36, 259, 572, 179);
    tarnwick::shell::GridPresentation presentation(state, grid);
    tarnwick::list::DownloadListing listing(state, list, pump, box, grid, presentation);

    presentation.FormatDownloadGrid(true, listing.View());
    window.show();
    return app.exec();
}
