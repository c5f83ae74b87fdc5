#include "shell/command_line.h"

#include "common/app_info.h"
#include "shell/launch_entry.h"

namespace tarnwick::shell {
namespace {

constexpr const char* kOptionsEnd = "--";

bool IsOption(const std::string& argument) {
    return argument.starts_with("--") || argument == "-h";
}

} // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool help = false;
    bool version = false;
    bool setup = false;
    for (size_t i = 1; i < arguments.size() && arguments[i] != kOptionsEnd; ++i) {
        const std::string& argument = arguments[i];
        if (!IsOption(argument)) continue;
        if (argument == "--help" || argument == "-h") {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else if (argument == "--verbose") {
            line.verbose = true;
        } else if (argument == "--no-clipboard-polling") {
            line.no_clipboard_polling = true;
        } else if (argument == "--tray") {
            line.in_tray = true;
        } else if (argument == "--setup-browsers") {
            setup = true;
        } else if (line.unknown_option.empty()) {
            line.unknown_option = argument;
        }
    }
    if (help) {
        line.action = LaunchAction::kHelp;
    } else if (version) {
        line.action = LaunchAction::kVersion;
    } else if (setup) {
        line.action = LaunchAction::kSetUpBrowsers;
    } else if (!line.unknown_option.empty()) {
        line.action = LaunchAction::kUnknownOption;
    }
    line.addresses = AddressesOfCommandLine(arguments);
    return line;
}

std::string UsageText() {
    return "Usage: tarnwick [OPTION]... [ADDRESS]...\n"
           "Downloads the video files behind web pages. Each ADDRESS is listed and\n"
           "downloaded; when Tarnwick runs already, the addresses go to it.\n"
           "\n"
           "  --verbose               write what the program does to standard error\n"
           "  --no-clipboard-polling  do not poll the clipboard when its watcher cannot start\n"
           "  --tray                  start in the tray, without taking the focus\n"
           "  --setup-browsers        let the browsers of this user hand videos to Tarnwick\n"
           "  -h, --help              show this help and exit\n"
           "      --version           show the version and exit\n"
           "\n"
           "Every argument after \"--\" is an address.\n";
}

std::string VersionText() { return std::string(kAppTitle) + " " + kVersionText + "\n"; }

std::string UnknownOptionText(const std::string& option) {
    return "tarnwick: unknown option '" + option +
           "'\nTry 'tarnwick --help' for more information.\n";
}

} // namespace tarnwick::shell
