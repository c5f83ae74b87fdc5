#include "qt/dbus_file_manager.h"

#include "qt/text_conversion.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include <sys/stat.h>

namespace tarnwick::qt {
namespace {

const QString kConnectionName = QStringLiteral("tarnwick-file-manager");

bool OpenFolderOf(const QString& file) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absolutePath()));
}

} // namespace

DBusFileManager::DBusFileManager(QString bus_address) : bus_address_(std::move(bus_address)) {}

DBusFileManager::~DBusFileManager() {
    if (!bus_address_.isEmpty()) QDBusConnection::disconnectFromBus(kConnectionName);
}

// Without an address, libdbus would fall back to starting a bus of its own
// (X11 autolaunch) that outlives the program.
bool DBusFileManager::HasSessionBus() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty()) return false;
    struct stat bus {};
    return ::stat((runtime + "/bus").constData(), &bus) == 0 && S_ISSOCK(bus.st_mode);
}

std::optional<QDBusConnection> DBusFileManager::Bus() const {
    if (!bus_address_.isEmpty()) {
        return QDBusConnection::connectToBus(bus_address_, kConnectionName);
    }
    if (!HasSessionBus()) return std::nullopt;
    return QDBusConnection::sessionBus();
}

void DBusFileManager::ShowInFolder(const std::string& path, std::function<void(bool shown)> done) {
    const QString file = ToQString(path);
    std::optional<QDBusConnection> bus = Bus();
    if (!bus || !bus->isConnected()) return done(OpenFolderOf(file));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)} << QString();
    auto* answer = new QDBusPendingCallWatcher(bus->asyncCall(call, kAnswerTimeMs), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this,
            [file, done = std::move(done)](QDBusPendingCallWatcher* watcher) {
                watcher->deleteLater();
                done(!watcher->isError() || OpenFolderOf(file));
            });
}

} // namespace tarnwick::qt
