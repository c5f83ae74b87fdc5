// Tarnwick: builds the program with the desktop's services and runs it.
#include "app/tarnwick_app.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarnwick");
    QApplication::setOrganizationName("Orvelle Tarnwick");
    // Hidden in the tray, the program lives on until its exit command.
    QApplication::setQuitOnLastWindowClosed(false);

    tarnwick::app::TarnwickApp tarnwick;
    if (!tarnwick.Start()) return 1;
    return QApplication::exec();
}
