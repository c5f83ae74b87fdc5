#include "shell/monitor.h"

namespace tarnwick::shell {

std::string ClipboardWatcher::WatcherPath() const {
    return platform::JoinPath(paths_.ProgramFolder(), kWatcherProgram);
}

bool ClipboardWatcher::Monitor(bool bState) {
    bool launched = false;
    try {
        const std::string parameter =
            bState ? (channel_address_ ? channel_address_() : std::string()) : kWatcherExit;
        launched = launch_.LaunchProgram(WatcherPath(), {parameter});
    } catch (...) {
        // A watcher that cannot be started simply delivers nothing.
    }
    state_.MonitorEnabled = bState;
    return launched;
}

} // namespace tarnwick::shell
