// One watcher per user, as there is one program per user. The running
// watcher holds a lock file and listens on a control socket, both in the
// folder of the program's own lock and channel; another start asks it
// through that socket to end ("Exit" and LF) and waits for the lock.
#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QString>

#include <chrono>
#include <functional>

namespace tarnwick::clip {

inline constexpr std::chrono::milliseconds kInstanceTimeout{5000};

class SingleInstance {
public:
    // `on_exit_asked` runs when another start asks this watcher to end.
    explicit SingleInstance(std::function<void()> on_exit_asked);

    // Ends the running watcher, if any, and becomes the one. False when the
    // running one did not end within `timeout`.
    bool TakeOver(std::chrono::milliseconds timeout);

    // Ends the running watcher, if any. False when one still runs after `timeout`.
    static bool EndRunning(std::chrono::milliseconds timeout);

private:
    void Accept();
    void Read(QLocalSocket& socket);

    std::function<void()> on_exit_asked_;
    QLockFile lock_;
    QLocalServer control_;
};

} // namespace tarnwick::clip
