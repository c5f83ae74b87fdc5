#include "shell/browser_setup_action.h"

#include "common/app_info.h"
#include "handoff/browser_setup.h"

#include <filesystem>
#include <system_error>

namespace tarnwick::shell {

BrowserSetUp SetUpBrowsersFor(const std::string& home, const std::string& program_folder) {
    const handoff::SetUpResult result =
        handoff::SetUpBrowsers(home, platform::JoinPath(program_folder, kBrowserHostName));
    BrowserSetUp outcome;
    outcome.report = handoff::SetUpReport(result);
    outcome.failed = result.set_up.empty() && !result.failed.empty();
    if (result.set_up.empty()) return outcome;
    const std::string folder = platform::JoinPath(program_folder, kExtensionFolderName);
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        outcome.extension_folder = folder;
        outcome.report += " The extension is in " + folder + ".";
    } else {
        outcome.report += " The extension's folder " + folder + " is missing.";
    }
    return outcome;
}

void SetUpBrowsersAndShow(const platform::AppPaths& paths, platform::MessageBox& box,
                          platform::ShellLaunch& launch) {
    const BrowserSetUp outcome = SetUpBrowsersFor(paths.HomeFolder(), paths.ProgramFolder());
    box.Show(
        outcome.report, kAppTitle,
        outcome.failed ? platform::MessageIcon::Exclamation : platform::MessageIcon::Information,
        platform::MessageButtons::Ok);
    if (!outcome.extension_folder.empty()) {
        launch.OpenDocument(outcome.extension_folder, "", [](platform::Opened) {});
    }
}

} // namespace tarnwick::shell
