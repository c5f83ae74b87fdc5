#include "shell/skin_commands.h"

#include "common/text.h"
#include "settings/skin_variables.h"

#include <map>

namespace tarnwick::shell {

void SkinCommands::Flash_FSCommand(const std::string& command, const std::string& args) {
    (void)args;
    using Handler = void (*)(SkinCommands&);
    static const std::map<std::string, Handler> kCommands = {
        {"IDC_FS_Drag", [](SkinCommands& c) { c.actions_.drag_window(); }},
        {"IDC_FS_Minimize", [](SkinCommands& c) { c.t_.window.Minimize(); }},
        {"IDC_FS_Tray",
         [](SkinCommands& c) {
             c.t_.window.Hide();
             c.t_.tray.SetInTray(true);
         }},
        {"IDC_FS_Close", [](SkinCommands& c) { c.actions_.end_me(); }},
        {"IDC_FS_Slider", [](SkinCommands& c) { c.t_.presentation.HideDownloadGrid(); }},
        {"IDC_FS_Download",
         [](SkinCommands& c) {
             c.t_.presentation.ShowDownloadGrid();
             c.t_.state.CurrentPage = "Download";
         }},
        {"IDC_FS_About",
         [](SkinCommands& c) {
             c.t_.presentation.HideDownloadGrid();
             c.t_.state.CurrentPage = "About";
         }},
        {"IDC_FS_Help",
         [](SkinCommands& c) {
             c.t_.launch.OpenWithDefaultHandler(
                 platform::JoinPath(c.t_.paths.ProgramFolder(), kHelpFile));
         }},
        {"ID_FS_webSite", [](SkinCommands& c) { c.t_.launch.OpenWithDefaultHandler(kHomePage); }},
        {"IDC_FS_startDownload", [](SkinCommands& c) { c.t_.tmrDownload.SetEnabled(true); }},
        {"IDC_FS_stopDownload", [](SkinCommands& c) { c.actions_.start_stop(); }},
        {"IDC_FS_addDownloadURL", [](SkinCommands& c) { c.AddDownloadUrl(); }},
        {"IDC_FS_selectAllD", [](SkinCommands& c) { c.t_.grid_commands.SelectAll(); }},
        {"IDC_FS_removeSelectedD", [](SkinCommands& c) { c.t_.grid_commands.RemoveSelected(); }},
        {"IDC_FS_moveUp", [](SkinCommands& c) { c.t_.grid_commands.MoveSelectedUp(); }},
        {"IDC_FS_moveDown", [](SkinCommands& c) { c.t_.grid_commands.MoveSelectedDown(); }},
        {"ID_FS_clearComplete", [](SkinCommands& c) { c.t_.grid_commands.ClearCompleted(); }},
        {"ID_FS_downloadBrowse",
         [](SkinCommands& c) {
             c.actions_.browse();
             c.actions_.save_settings();
         }},
        {"ID_FS_autoDownloadCheck", [](SkinCommands& c) { c.SetMonitor(true); }},
        {"ID_FS_autoDownloadUncheck", [](SkinCommands& c) { c.SetMonitor(false); }},
    };
    const auto found = kCommands.find(command);
    if (found == kCommands.end()) return;
    try {
        found->second(*this);
    } catch (const std::exception&) {
        // Commands end quietly; their operations report what the user must see.
    }
}

// Reads the address twice: the emptiness test uses a trimmed copy of the
// first read, and the address passed on is the second read, as the skin has it.
void SkinCommands::AddDownloadUrl() {
    if (!text::TrimSpaces(t_.skin.GetVariable(settings::kSkinVideoUrl)).empty()) {
        t_.listing.AddVideoURL(t_.skin.GetVariable(settings::kSkinVideoUrl));
    }
    if (t_.state.Downloading) t_.presentation.LocateCurrentRow();
}

void SkinCommands::SetMonitor(bool on) {
    actions_.monitor(on);
    t_.state.MonitorEnabled = on;
    actions_.save_settings();
}

} // namespace tarnwick::shell
