#include "driver/app_lifecycle.h"

#include "common/app_info.h"
#include "settings/skin_variables.h"

namespace tarnwick::driver {

std::string AppLifecycle::AboutText() {
    return "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
           ".0." + std::to_string(kVersionRevision) +
           "\r\nTarnwick is an easy to use program to download video files from "
           "Google,Youtube,iFilm and other 9 video sharing sites to your PC.";
}

bool AppLifecycle::Form_Load() {
    s_.window.SelectAutoSite();
    if (!InitWindow()) return false;
    s_.load_settings();
    s_.hooks.StartHook();
    return true;
}

bool AppLifecycle::InitWindow() {
    s_.tray.SetIcon(platform::JoinPath(s_.paths.ProgramFolder(), kTrayIconFile));
    s_.tray.SetInTray(true);
    s_.window.SetCaption(kAppTitle);
    s_.window.SetIcon(platform::JoinPath(s_.paths.ProgramFolder(), kWindowIconFile));
    s_.window.PlaceSkin(0, 0, kWindowWidth, kWindowHeight);
    s_.window.SetSize(kWindowWidth, kWindowHeight);
    std::string error;
    const std::string skin_file = platform::JoinPath(s_.paths.ProgramFolder(), kSkinFile);
    if (!s_.window.LoadSkin(skin_file, error)) {
        s_.box.Show("The skin " + skin_file + " could not be loaded:\r\n" + error, kAppTitle,
                    platform::MessageIcon::Critical, platform::MessageButtons::Ok);
        return false;
    }
    s_.window.PlaceGrid(kGridLeft, kGridTop, kGridWidth, kGridHeight);
    s_.presentation.FormatDownloadGrid(true, s_.listing.View());
    settings::SetSkinVariable(s_.skin, settings::kSkinAboutText, AboutText());
    return true;
}

void AppLifecycle::EndMe() {
    if (s_.state.Downloading && !ConfirmExit()) return;
    s_.hooks.StopHook();
    s_.monitor(false);
    s_.tray.SetInTray(false);
    // A transfer under way stops at its next step; its bytes stay in its
    // temporary file and the program ends when the run has returned.
    if (s_.state.Downloading) s_.download.CancelDownload();
    s_.window.Quit();
}

bool AppLifecycle::ConfirmExit() {
    if (s_.box.Show("Download is in Progress, Are you sure that you want to exit?", kAppTitle,
                    platform::MessageIcon::Question,
                    platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
        return false;
    }
    s_.state.StopRequested = true;
    return true;
}

void AppLifecycle::tmrend_Timer() {
    s_.tmrend.SetEnabled(false);
    EndMe();
}

} // namespace tarnwick::driver
