// The file manager asked over the session bus
// (org.freedesktop.FileManager1.ShowItems) to show a file selected; where
// no bus or no file manager answers, the file's folder is opened with the
// desktop's opener instead, and how that ended is the answer.
#pragma once

#include "platform/file_manager.h"
#include "platform/shell_launch.h"

#include <QObject>
#include <QString>

#include <optional>

class QDBusConnection;

namespace tarnwick::qt {

class DBusFileManager : public QObject, public platform::FileManager {
    Q_OBJECT

public:
    // How long the file manager may take to answer, started on demand.
    static constexpr int kAnswerTimeMs = 10000;

    // Asks the bus at `bus_address`, or with none the session bus, where
    // there is one; opens folders through `launch`.
    explicit DBusFileManager(platform::ShellLaunch& launch, QString bus_address = {});
    ~DBusFileManager() override;

    void ShowInFolder(const std::string& path, std::function<void(platform::Opened)> done) override;

    // Whether a session bus is there to ask: never one that would be
    // started for the asking.
    static bool HasSessionBus();

private:
    std::optional<QDBusConnection> Bus() const;
    void OpenFolderOf(const QString& file, std::function<void(platform::Opened)> done);

    platform::ShellLaunch& launch_;
    QString bus_address_;
};

} // namespace tarnwick::qt
