// One watcher per user, as there is one program per user. The running
// watcher holds its own instance lock (qt::InstanceLock, named
// kWatcherLockName) and listens on a control socket, both in the folder of
// the program's own lock and channel; another start asks it through that
// socket to end ("Exit" and LF) and waits for the lock.
#pragma once

#include "qt/instance_lock.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <chrono>
#include <functional>

namespace tarnwick::clip {

inline constexpr std::chrono::milliseconds kInstanceTimeout{5000};

class SingleInstance {
public:
    // `on_exit_asked` runs when another start asks this watcher to end.
    explicit SingleInstance(std::function<void()> on_exit_asked);

    // Ends the running watcher, if any, and becomes the one. False when the
    // running one did not end within `timeout`, or no lock file can be had.
    bool TakeOver(std::chrono::milliseconds timeout);

    // Ends the running watcher, if any. False when one still runs after
    // `timeout`, or no lock file can be had.
    static bool EndRunning(std::chrono::milliseconds timeout);

private:
    void Accept();
    void Read(QLocalSocket& socket);

    std::function<void()> on_exit_asked_;
    qt::InstanceLock lock_;
    QLocalServer control_;
};

} // namespace tarnwick::clip
