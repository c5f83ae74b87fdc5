#include "shell/skin_commands.h"

#include "settings/number_setting.h"
#include "shell/browser_setup_action.h"
#include "shell/grid_setup.h"
#include "shell/message_texts.h"
#include "shell/skin_variables.h"

#include <map>
#include <sstream>

namespace tarnwick::shell {

void SkinCommands::Run(const std::string& command, const std::string& args) {
    if (command == "IDC_FS_Resize") {
        Resize(args);
        return;
    }
    using Handler = void (*)(SkinCommands&);
    using Part = SettingsControl::ChoicePart;
    static const std::map<std::string, Handler> kCommands = {
        {"IDC_FS_Drag", [](SkinCommands& c) { c.t_.lifecycle.DragWindow(); }},
        {"IDC_FS_Maximize", [](SkinCommands& c) { c.ToggleMaximized(); }},
        {"IDC_FS_Minimize", [](SkinCommands& c) { c.t_.window.Minimize(); }},
        {"IDC_FS_Tray", [](SkinCommands& c) { c.ToTray(); }},
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
             if (c.t_.ytdlp != nullptr) c.t_.ytdlp->LookAgain();
         }},
        {"IDC_FS_History",
         [](SkinCommands& c) {
             HideDownloadGrid(c.t_.grid);
             c.t_.pages.current = SkinPage::kHistory;
             if (c.t_.history != nullptr) c.t_.history->Show();
         }},
        {"ID_FS_historySearch", [](SkinCommands& c) { c.OnHistory(&HistoryPage::Search); }},
        {"ID_FS_historyScroll", [](SkinCommands& c) { c.OnHistory(&HistoryPage::Show); }},
        {"ID_FS_historyOpen", [](SkinCommands& c) { c.OnHistory(&HistoryPage::Open); }},
        {"ID_FS_historyShow", [](SkinCommands& c) { c.OnHistory(&HistoryPage::ShowInFolder); }},
        {"ID_FS_historyCopy", [](SkinCommands& c) { c.OnHistory(&HistoryPage::CopyAddress); }},
        {"ID_FS_historyAgain", [](SkinCommands& c) { c.OnHistory(&HistoryPage::DownloadAgain); }},
        {"ID_FS_historyRemove", [](SkinCommands& c) { c.OnHistory(&HistoryPage::Remove); }},
        {"ID_FS_historyClear", [](SkinCommands& c) { c.OnHistory(&HistoryPage::Clear); }},
        {"ID_FS_historyImport", [](SkinCommands& c) { c.OnHistory(&HistoryPage::Import); }},
        {"ID_FS_statusShow",
         [](SkinCommands& c) { c.OnHistory(&HistoryPage::ShowDownloadedBefore); }},
        {"ID_FS_historyExport", [](SkinCommands& c) { c.OnHistory(&HistoryPage::Export); }},
        {"ID_FS_downloadAgainCheck", [](SkinCommands& c) { c.t_.settings.SetDownloadAgain(true); }},
        {"ID_FS_downloadAgainUncheck",
         [](SkinCommands& c) { c.t_.settings.SetDownloadAgain(false); }},
        {"IDC_FS_Help", [](SkinCommands& c) { c.OpenHelp(""); }},
        {"ID_FS_webSite", [](SkinCommands& c) { c.OpenHelp(kHelpAboutSection); }},
        {"IDC_FS_startDownload", [](SkinCommands& c) { c.t_.runs.RequestStart(); }},
        {"IDC_FS_stopDownload", [](SkinCommands& c) { c.t_.runs.ToggleRun(); }},
        {"IDC_FS_addDownloadURL", [](SkinCommands& c) { c.AddDownloadUrl(); }},
        {"IDC_FS_selectAllD", [](SkinCommands& c) { c.t_.grid_commands.SelectAll(); }},
        {"IDC_FS_removeSelectedD", [](SkinCommands& c) { c.t_.grid_commands.RemoveSelected(); }},
        {"IDC_FS_moveUp", [](SkinCommands& c) { c.t_.grid_commands.MoveSelectedUp(); }},
        {"IDC_FS_moveDown", [](SkinCommands& c) { c.t_.grid_commands.MoveSelectedDown(); }},
        {"ID_FS_clearComplete", [](SkinCommands& c) { c.t_.grid_commands.ClearCompleted(); }},
        {"IDC_FS_retryFailedD", [](SkinCommands& c) { c.t_.grid_commands.RetrySelected(); }},
        {"ID_FS_downloadBrowse",
         [](SkinCommands& c) {
             c.t_.settings.ChooseDownloadFolder();
             c.t_.settings.SaveSettings();
         }},
        {"ID_FS_autoDownloadCheck", [](SkinCommands& c) { c.SetMonitor(true); }},
        {"ID_FS_autoDownloadUncheck", [](SkinCommands& c) { c.SetMonitor(false); }},
        {"ID_FS_keepListCheck", [](SkinCommands& c) { c.t_.settings.SetKeepList(true); }},
        {"ID_FS_keepListUncheck", [](SkinCommands& c) { c.t_.settings.SetKeepList(false); }},
        {"ID_FS_otherSitesCheck", [](SkinCommands& c) { c.t_.settings.SetOtherSites(true); }},
        {"ID_FS_otherSitesUncheck", [](SkinCommands& c) { c.t_.settings.SetOtherSites(false); }},
        {"ID_FS_ytDlpCheck", [](SkinCommands& c) { c.t_.settings.SetUseYtDlp(true); }},
        {"ID_FS_ytDlpUncheck", [](SkinCommands& c) { c.t_.settings.SetUseYtDlp(false); }},
        {"ID_FS_connectionsChange",
         [](SkinCommands& c) { c.SetNumber(kSkinConnections, &SettingsControl::SetConnections); }},
        {"ID_FS_downloadsAtOnceChange",
         [](SkinCommands& c) {
             c.SetNumber(kSkinDownloadsAtOnce, &SettingsControl::SetDownloadsAtOnce);
         }},
        {"ID_FS_speedLimitChange",
         [](SkinCommands& c) { c.SetNumber(kSkinSpeedLimit, &SettingsControl::SetSpeedLimit); }},
        {"ID_FS_cookiesFromChange",
         [](SkinCommands& c) {
             c.t_.settings.SetCookiesFrom(c.t_.skin.GetVariable(kSkinCookiesFrom));
         }},
        {"ID_FS_qualityChange", [](SkinCommands& c) { c.SetChoice(Part::kQuality, kSkinQuality); }},
        {"ID_FS_formatChange", [](SkinCommands& c) { c.SetChoice(Part::kFormat, kSkinFormat); }},
        {"ID_FS_soundOnlyChange",
         [](SkinCommands& c) { c.SetChoice(Part::kSoundOnly, kSkinSoundOnly); }},
        {"ID_FS_subtitlesChange",
         [](SkinCommands& c) { c.SetChoice(Part::kSubtitles, kSkinSubtitles); }},
        {"ID_FS_autoSubtitlesCheck",
         [](SkinCommands& c) { c.t_.settings.SetChoice(Part::kAutomatic, "1"); }},
        {"ID_FS_autoSubtitlesUncheck",
         [](SkinCommands& c) { c.t_.settings.SetChoice(Part::kAutomatic, "0"); }},
        {"ID_FS_subtitlesInsideCheck",
         [](SkinCommands& c) { c.t_.settings.SetChoice(Part::kInside, "1"); }},
        {"ID_FS_subtitlesInsideUncheck",
         [](SkinCommands& c) { c.t_.settings.SetChoice(Part::kInside, "0"); }},
        {"ID_FS_chooseCookieFile", [](SkinCommands& c) { c.t_.settings.ChooseCookieFile(); }},
        {"ID_FS_clearCookieFile", [](SkinCommands& c) { c.t_.settings.ClearCookieFile(); }},
        {"ID_FS_setupBrowsers",
         [](SkinCommands& c) { SetUpBrowsersAndShow(c.t_.paths, c.t_.box, c.t_.launch); }},
    };
    const auto found = kCommands.find(command);
    if (found != kCommands.end()) found->second(*this);
}

void SkinCommands::Resize(const std::string& edges) {
    static const std::map<std::string, unsigned> kEdges = {{"left", platform::kEdgeLeft},
                                                           {"top", platform::kEdgeTop},
                                                           {"right", platform::kEdgeRight},
                                                           {"bottom", platform::kEdgeBottom}};
    unsigned flags = 0;
    std::istringstream words(edges);
    for (std::string word; words >> word;) {
        const auto found = kEdges.find(word);
        if (found != kEdges.end()) flags |= found->second;
    }
    if (flags != 0) t_.window.StartResize(flags);
}

void SkinCommands::AddDownloadUrl() { t_.entry.Add(t_.skin.GetVariable(kSkinVideoUrl)); }

// To the tray, where the desktop has one; a desktop without a tray could never
// show the window again, so there it is minimised.
void SkinCommands::ToTray() {
    if (!t_.tray.IsAvailable()) {
        t_.window.Minimize();
        return;
    }
    t_.window.Hide();
    t_.tray.SetInTray(true);
}

// Without a browser the help file is still there to be read: once the
// desktop answered that it could not show it, the box says where.
void SkinCommands::OpenHelp(const char* section) {
    const std::string help = platform::JoinPath(t_.paths.ProgramFolder(), kHelpFile);
    platform::MessageBox& box = t_.box;
    t_.launch.OpenDocument(help, section, [&box, help](platform::Opened how) {
        if (how == platform::Opened::kYes) return;
        box.Show(std::string(kNoBrowserForHelpStart) + help + kNoBrowserForHelpEnd, kHelpTitle,
                 platform::MessageIcon::Information, platform::MessageButtons::Ok);
    });
}

void SkinCommands::SetChoice(SettingsControl::ChoicePart part, const char* variable) {
    t_.settings.SetChoice(part, t_.skin.GetVariable(variable));
}

void SkinCommands::SetNumber(const char* variable, void (SettingsControl::*set)(int64_t)) {
    const std::optional<int64_t> number = settings::ParseWholeNumber(t_.skin.GetVariable(variable));
    if (number) {
        (t_.settings.*set)(*number);
    } else {
        t_.settings.PublishSettings();
    }
}

void SkinCommands::SetMonitor(bool on) {
    t_.monitor.SwitchMonitor(on);
    t_.settings.SaveSettings();
}

} // namespace tarnwick::shell
