#include "settings/download_folder_choice.h"

#include "settings/skin_variables.h"

namespace tarnwick::settings {

std::string DownloadFolderChoice::BrowseForFolder(const std::string& prompt) {
    try {
        std::string path = chooser_.ChooseFolder(prompt);
        const size_t nul = path.find('\0');
        if (nul != std::string::npos) path.resize(nul);
        return path;
    } catch (...) {
        return "";
    }
}

void DownloadFolderChoice::cmdBrowse_Click() {
    const std::string path = BrowseForFolder(kBrowsePrompt);
    if (path.empty()) return;
    try {
        SetSkinVariable(skin_, kSkinDownloadDir, path);
    } catch (...) {
        // The skin shows the old directory, but the user's choice still holds.
    }
    state_.DownloadDir = path;
}

} // namespace tarnwick::settings
