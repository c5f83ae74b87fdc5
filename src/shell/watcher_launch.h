// Starts and stops the clipboard watcher, the separate program beside this
// one that hands each copied address back through the delivery channel.
#pragma once

#include "platform/app_paths.h"
#include "platform/shell_launch.h"

#include <functional>
#include <string>
#include <utility>

namespace tarnwick::shell {

#ifdef _WIN32
inline constexpr const char* kWatcherProgram = "Clip.exe";
#else
inline constexpr const char* kWatcherProgram = "tarnwick-clip";
#endif
// The watcher's one parameter that stops it.
inline constexpr const char* kWatcherExit = "Exit";

class ClipboardWatcher {
public:
    // Answers the delivery channel's address, the watcher's one parameter.
    using ChannelAddress = std::function<std::string()>;

    ClipboardWatcher(platform::ShellLaunch& launch, const platform::AppPaths& paths,
                     ChannelAddress channel_address)
        : launch_(launch), paths_(paths), channel_address_(std::move(channel_address)) {}

    // Launches the watcher with the channel's address (true) or with "Exit"
    // (false). No record of a running watcher is kept. Answers whether the
    // watcher program could be started.
    bool Launch(bool start) {
        const std::string parameter = start ? channel_address_() : kWatcherExit;
        return launch_.LaunchProgram(WatcherPath(), {parameter});
    }

    // The watcher program in the program's folder.
    std::string WatcherPath() const {
        return platform::JoinPath(paths_.ProgramFolder(), kWatcherProgram);
    }

private:
    platform::ShellLaunch& launch_;
    const platform::AppPaths& paths_;
    ChannelAddress channel_address_;
};

} // namespace tarnwick::shell
