// What a launch of the program is asked to do by its options, read before
// any window or lock is touched: "--help" and "--version" only print and end,
// an option the program does not know ends it with an error, and the rest
// runs it (or hands the addresses to the program already running).
#pragma once

#include <string>
#include <vector>

namespace tarnwick::shell {

enum class LaunchAction { kRun, kHelp, kVersion, kSetUpBrowsers, kUnknownOption };

struct CommandLine {
    LaunchAction action = LaunchAction::kRun;
    // The first option not known, with kUnknownOption.
    std::string unknown_option;
    bool verbose = false;
    bool no_clipboard_polling = false;
    // Starts in the tray (or minimised, where there is none) without taking
    // the focus: the browser's host starts the program so.
    bool in_tray = false;
    std::vector<std::string> addresses;
};

// Reads the arguments, the program's name first. Help wins over the version,
// the version over setting up the browsers, and all of them over an unknown
// option, wherever they stand before a "--".
CommandLine ReadCommandLine(const std::vector<std::string>& arguments);

// The texts printed for "--help", "--version" and an unknown option, each
// ending in a line feed.
std::string UsageText();
std::string VersionText();
std::string UnknownOptionText(const std::string& option);

} // namespace tarnwick::shell
