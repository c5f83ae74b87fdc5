#include "shell/skin_commands.h"

#include "common/text.h"
#include "list/add_video_url.h"
#include "shell/grid_setup.h"
#include "shell/skin_variables.h"

#include <map>

namespace tarnwick::shell {

void SkinCommands::Run(const std::string& command) {
    using Handler = void (*)(SkinCommands&);
    static const std::map<std::string, Handler> kCommands = {
        {"IDC_FS_Drag", [](SkinCommands& c) { c.t_.lifecycle.DragWindow(); }},
        {"IDC_FS_Minimize", [](SkinCommands& c) { c.t_.window.Minimize(); }},
        {"IDC_FS_Tray",
         [](SkinCommands& c) {
             c.t_.window.Hide();
             c.t_.tray.SetInTray(true);
         }},
        {"IDC_FS_Close", [](SkinCommands& c) { c.t_.lifecycle.Exit(); }},
        {"IDC_FS_Slider", [](SkinCommands& c) { HideDownloadGrid(c.t_.grid); }},
        {"IDC_FS_Download",
         [](SkinCommands& c) {
             ShowDownloadGrid(c.t_.grid);
             c.t_.pages.current = SkinPage::kDownload;
         }},
        {"IDC_FS_About",
         [](SkinCommands& c) {
             HideDownloadGrid(c.t_.grid);
             c.t_.pages.current = SkinPage::kAbout;
         }},
        {"IDC_FS_Help",
         [](SkinCommands& c) {
             c.t_.launch.OpenWithDefaultHandler(
                 platform::JoinPath(c.t_.paths.ProgramFolder(), kHelpFile));
         }},
        {"ID_FS_webSite", [](SkinCommands& c) { c.t_.launch.OpenWithDefaultHandler(kHomePage); }},
        {"IDC_FS_startDownload", [](SkinCommands& c) { c.t_.runs.RequestStart(); }},
        {"IDC_FS_stopDownload", [](SkinCommands& c) { c.t_.runs.ToggleRun(); }},
        {"IDC_FS_addDownloadURL", [](SkinCommands& c) { c.AddDownloadUrl(); }},
        {"IDC_FS_selectAllD", [](SkinCommands& c) { c.t_.grid_commands.SelectAll(); }},
        {"IDC_FS_removeSelectedD", [](SkinCommands& c) { c.t_.grid_commands.RemoveSelected(); }},
        {"IDC_FS_moveUp", [](SkinCommands& c) { c.t_.grid_commands.MoveSelectedUp(); }},
        {"IDC_FS_moveDown", [](SkinCommands& c) { c.t_.grid_commands.MoveSelectedDown(); }},
        {"ID_FS_clearComplete", [](SkinCommands& c) { c.t_.grid_commands.ClearCompleted(); }},
        {"ID_FS_downloadBrowse",
         [](SkinCommands& c) {
             c.t_.settings.ChooseDownloadFolder();
             c.t_.settings.SaveSettings();
         }},
        {"ID_FS_autoDownloadCheck", [](SkinCommands& c) { c.SetMonitor(true); }},
        {"ID_FS_autoDownloadUncheck", [](SkinCommands& c) { c.SetMonitor(false); }},
    };
    const auto found = kCommands.find(command);
    if (found != kCommands.end()) found->second(*this);
}

// Reads the address twice: the emptiness test uses a trimmed copy of the
// first read, and the address passed on is the second read, as the skin has it.
void SkinCommands::AddDownloadUrl() {
    if (!text::TrimSpaces(t_.skin.GetVariable(kSkinVideoUrl)).empty()) {
        list::AddVideoURL(t_.queue, t_.skin.GetVariable(kSkinVideoUrl));
    }
}

void SkinCommands::SetMonitor(bool on) {
    t_.monitor.SwitchMonitor(on);
    t_.settings.SaveSettings();
}

} // namespace tarnwick::shell
