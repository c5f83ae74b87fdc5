// The user's choice of the download directory through the folder chooser.
#pragma once

#include "common/main_state.h"
#include "platform/folder_chooser.h"
#include "platform/skin_player.h"

#include <string>

namespace tarnwick::settings {

inline constexpr const char* kBrowsePrompt =
    "Please select the desired Download directory then press Ok.";

class DownloadFolderChoice {
public:
    DownloadFolderChoice(MainState& state, platform::FolderChooser& chooser,
                         platform::SkinPlayer& skin)
        : state_(state), chooser_(chooser), skin_(skin) {}

    // The chosen directory's full path, or the empty text on cancel or error.
    std::string BrowseForFolder(const std::string& prompt);
    // Lets the user choose; a chosen directory goes to the skin and becomes
    // DownloadDir. A cancel changes nothing. Saving is the caller's step.
    void cmdBrowse_Click();

private:
    MainState& state_;
    platform::FolderChooser& chooser_;
    platform::SkinPlayer& skin_;
};

} // namespace tarnwick::settings
