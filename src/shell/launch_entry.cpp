#include "shell/launch_entry.h"

#include <utility>

namespace tarnwick::shell {

std::vector<std::string> AddressesOfCommandLine(const std::vector<std::string>& arguments) {
    std::vector<std::string> addresses;
    bool options_end = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!options_end && argument == "--") {
            options_end = true;
        } else if (options_end || !argument.starts_with("--")) {
            addresses.push_back(argument);
        }
    }
    return addresses;
}

void LaunchEntry::Add(const std::string& text) {
    if (text.empty()) return;
    if (started_) {
        List(text);
    } else {
        waiting_.push_back(text);
    }
}

void LaunchEntry::Finish() {
    if (started_) {
        EndLaunch(true);
    } else {
        waiting_.emplace_back();
    }
}

void LaunchEntry::TakeOwn(const std::vector<std::string>& texts) {
    for (const std::string& text : texts) List(text);
    EndLaunch(false);
    started_ = true;
    for (const std::string& text : std::exchange(waiting_, {})) {
        if (text.empty()) {
            EndLaunch(true);
        } else {
            List(text);
        }
    }
}

void LaunchEntry::List(const std::string& text) {
    if (!entry_.Add(text).empty()) listed_ = true;
}

void LaunchEntry::EndLaunch(bool bring_to_front) {
    // The items the user stopped stay stopped: only what waits is taken.
    if (std::exchange(listed_, false) && !runs_.IsRunning()) {
        runs_.RequestStart(driver::RunScope::kWaiting);
    }
    if (bring_to_front) window_.BringToFront();
}

} // namespace tarnwick::shell
