// One program per user. The first launch holds a lock file in the user's
// runtime folder (with flock, which the system lets go of however the
// program ends) and, once its channel listens, writes the channel's address
// into it. A later launch finds the lock held, reads that address, and hands
// its command line over through the channel instead of starting: two
// programs never share one kept list and one download folder.
//
// The clipboard watcher holds a lock of its own name the same way, so that
// one watcher runs per user beside the program.
#pragma once

#include <QString>

#include <memory>
#include <string>

class QLockFile;

namespace tarnwick::qt {

// The lock files' names begin with these, followed by the user's id.
inline constexpr char kProgramLockName[] = "tarnwick";
inline constexpr char kWatcherLockName[] = "tarnwick-clip";

class InstanceLock {
public:
    enum class State {
        kHeld,          // this is the user's one program
        kHeldElsewhere, // another program of this user runs
        kUnavailable,   // no lock file can be had: nothing guards
    };

    // Tries to take the lock named `name` in `folder` at once.
    explicit InstanceLock(const QString& folder, const QString& name = kProgramLockName);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    State state() const { return state_; }
    // Tries again to take a lock held elsewhere (its program may have ended).
    State TryAgain();
    // The holder's: where later launches find this program's channel.
    bool Announce(const std::string& channel);
    // The running program's channel, once it has announced it; empty before.
    std::string RunningChannel() const;

    // The lock file named `name` of this user in `folder`.
    static QString PathIn(const QString& folder, const QString& name = kProgramLockName);

private:
    void Take();

    QString path_;
    State state_ = State::kUnavailable;
    int descriptor_ = -1;
    std::unique_ptr<QLockFile> lock_file_; // where flock is missing
};

} // namespace tarnwick::qt
