#include "qt/qt_connectivity.h"

#include <QNetworkInterface>

namespace tarnwick::qt {

bool QtConnectivity::HasConnection() {
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& entry : interfaces) {
        const QNetworkInterface::InterfaceFlags flags = entry.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp)) continue;
        if (flags.testFlag(QNetworkInterface::IsLoopBack)) continue;
        if (!entry.addressEntries().isEmpty()) return true;
    }
    return false;
}

} // namespace tarnwick::qt
