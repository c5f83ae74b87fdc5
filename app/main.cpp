// Tarnwick: builds the program with the desktop's services and runs it.
// "--no-clipboard-polling" keeps the polling timer from standing in for a
// clipboard watcher that cannot start, so that the watcher can be tried alone.
#include "app/tarnwick_app.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarnwick");
    QApplication::setOrganizationName("Orvelle Tarnwick");
    // Hidden in the tray, the program lives on until its exit command.
    QApplication::setQuitOnLastWindowClosed(false);

    tarnwick::app::TarnwickApp tarnwick;
    if (QApplication::arguments().contains("--no-clipboard-polling")) {
        tarnwick.clipboard_monitor.AllowPollingStandIn(false);
    }
    if (!tarnwick.Start()) return 1;
    return QApplication::exec();
}
