// The file manager asked over the session bus
// (org.freedesktop.FileManager1.ShowItems) to show a file selected; where
// no bus or no file manager answers, the file's folder is opened with the
// desktop's handler instead.
#pragma once

#include "platform/file_manager.h"

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
    // there is one.
    explicit DBusFileManager(QString bus_address = {});
    ~DBusFileManager() override;

    void ShowInFolder(const std::string& path, std::function<void(bool shown)> done) override;

    // Whether a session bus is there to ask: never one that would be
    // started for the asking.
    static bool HasSessionBus();

private:
    std::optional<QDBusConnection> Bus() const;

    QString bus_address_;
};

} // namespace tarnwick::qt
