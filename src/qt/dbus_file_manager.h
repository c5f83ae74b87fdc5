// The file manager asked over the session bus
// (org.freedesktop.FileManager1.ShowItems) to show a file selected; where
// no bus or no file manager answers, the file's folder is opened with the
// desktop's handler instead.
#pragma once

#include "platform/file_manager.h"

#include <QObject>

namespace tarnwick::qt {

class DBusFileManager : public QObject, public platform::FileManager {
    Q_OBJECT

public:
    // How long the file manager may take to answer, started on demand.
    static constexpr int kAnswerTimeMs = 10000;

    void ShowInFolder(const std::string& path, std::function<void(bool shown)> done) override;

    // Whether a session bus is there to ask: never one that would be
    // started for the asking.
    static bool HasSessionBus();
};

} // namespace tarnwick::qt
