#include "qt/desktop_entry.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

namespace tarnwick::qt {

void NameDesktopEntry(const char* desktop_id) {
    QGuiApplication::setDesktopFileName(QString::fromUtf8(desktop_id));
}

void ClassWindowByDesktopEntry(QWidget& window, const char* desktop_id) {
    // Offscreen also answers as X11, without a connection of its own.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) return;
    // Qt names the class after the application's name, which also names the
    // program's folders; the class alone changes here.
    QByteArray value = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toLocal8Bit();
    value.append('\0').append(desktop_id).append('\0');
    xcb_connection_t* connection = x11->connection();
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE,
                        static_cast<xcb_window_t>(window.winId()), XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, static_cast<uint32_t>(value.size()), value.constData());
    xcb_flush(connection);
}

} // namespace tarnwick::qt
