// Other programs on QProcess. A child destroyed while it runs is killed and
// handed to this object, which keeps its process until the system has told
// its end, so that none is left a zombie.
#pragma once

#include "platform/child_process.h"

#include <QObject>
#include <QStringList>

namespace tarnwick::qt {

class QtChildProcesses : public platform::ChildProcesses {
public:
    // Looks for programs in `search_folders`, in order.
    explicit QtChildProcesses(QStringList search_folders = DefaultSearchFolders());
    // Waits the moment the killed children still need to be reaped.
    ~QtChildProcesses() override;
    QtChildProcesses(const QtChildProcesses&) = delete;
    QtChildProcesses& operator=(const QtChildProcesses&) = delete;

    std::unique_ptr<platform::Child> Start(platform::ChildRequest request, OnEnd on_end) override;
    std::optional<std::string> Find(std::string_view name) const override;

    // ~/.local/bin, then each folder of PATH.
    static QStringList DefaultSearchFolders();

private:
    QStringList search_folders_;
    // Where ends are told from, and the parent of killed children's
    // processes until they are reaped.
    QObject home_;
};

} // namespace tarnwick::qt
