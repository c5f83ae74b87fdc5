// Setting up the user's browsers for Tarnwick's extension, from the settings
// panel or from "--setup-browsers": the native host's manifests go to each
// browser found, naming the host beside the program, and the user is told
// which browsers were set up and where the extension lies to be loaded.
#pragma once

#include "platform/app_paths.h"
#include "platform/message_box.h"
#include "platform/shell_launch.h"

#include <string>

namespace tarnwick::shell {

// The native host and the extension's folder, beside the program.
inline constexpr const char* kBrowserHostName = "tarnwick-browser-host";
inline constexpr const char* kExtensionFolderName = "browser";

struct BrowserSetUp {
    // What the user is told, in one paragraph.
    std::string report;
    // The extension's folder to open: empty when no browser was set up, or
    // when there is none beside the program.
    std::string extension_folder;
    // Nothing could be set up, and some browser failed.
    bool failed = false;
};

// Writes the manifests for the browsers with a profile below `home`.
BrowserSetUp SetUpBrowsersFor(const std::string& home, const std::string& program_folder);

// The settings panel's "Set up browsers": sets up, shows the report, and
// once it is read opens the extension's folder where there is one.
void SetUpBrowsersAndShow(const platform::AppPaths& paths, platform::MessageBox& box,
                          platform::ShellLaunch& launch);

} // namespace tarnwick::shell
