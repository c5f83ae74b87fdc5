#include "qt/dbus_file_manager.h"

#include "qt/text_conversion.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include <sys/stat.h>

namespace tarnwick::qt {
namespace {

const QString kConnectionName = QStringLiteral("tarnwick-file-manager");

} // namespace

DBusFileManager::DBusFileManager(platform::ShellLaunch& launch, QString bus_address)
    : launch_(launch), bus_address_(std::move(bus_address)) {}

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

void DBusFileManager::OpenFolderOf(const QString& file,
                                   std::function<void(platform::Opened)> done) {
    launch_.OpenDocument(ToStdString(QFileInfo(file).absolutePath()), "", std::move(done));
}

void DBusFileManager::ShowInFolder(const std::string& path,
                                   std::function<void(platform::Opened)> done) {
    const QString file = ToQString(path);
    std::optional<QDBusConnection> bus = Bus();
    if (!bus || !bus->isConnected()) return OpenFolderOf(file, std::move(done));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)} << QString();
    auto* answer = new QDBusPendingCallWatcher(bus->asyncCall(call, kAnswerTimeMs), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this,
            [this, file, done = std::move(done)](QDBusPendingCallWatcher* watcher) {
                watcher->deleteLater();
                if (!watcher->isError()) return done(platform::Opened::kYes);
                OpenFolderOf(file, done);
            });
}

} // namespace tarnwick::qt
