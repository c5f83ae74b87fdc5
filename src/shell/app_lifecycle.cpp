#include "shell/app_lifecycle.h"

#include "common/app_info.h"
#include "shell/grid_setup.h"
#include "shell/message_texts.h"
#include "shell/skin_variables.h"

namespace tarnwick::shell {

AppLifecycle::AppLifecycle(LifecycleServices services)
    : s_(services),
      exit_timer_(s_.clock.NewTimer([this] { Exit(); })),
      layout_({s_.window, s_.skin, s_.settings, s_.clock}) {}

std::string AppLifecycle::AboutText() {
    return "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
           ".0." + std::to_string(kVersionRevision) +
           "\r\nTarnwick is an easy to use program to download video files from "
           "Google,Youtube,iFilm and other 9 video sharing sites to your PC.";
}

bool AppLifecycle::StartUp() {
    if (!SetUpWindow()) return false;
    const std::optional<std::string> replaced_folder = s_.settings.LoadSettings();
    s_.hooks.StartHook();
    bool whole = true;
    if (s_.settings.KeepsTheList()) {
        whole = s_.keeper.Restore();
    } else {
        s_.keeper.SetKeeping(false);
    }
    // A kept list that was not read whole (that cannot be read now, or was
    // moved aside as damaged) may own any of our files.
    if (whole) s_.part_files.RemoveStrays(s_.settings.DownloadFolder(), s_.paths.CacheFolder());
    if (replaced_folder) TellFolderReplaced(*replaced_folder);
    TellStoreProblems();
    return true;
}

bool AppLifecycle::ListIsKept() const {
    return s_.settings.KeepsTheList() && s_.keeper.Opening().unusable_reason.empty();
}

void AppLifecycle::TellStoreProblems() {
    const platform::StoreOpening opening = s_.keeper.Opening();
    if (!opening.moved_aside_to.empty()) {
        s_.box.Show(kListMovedAsideStart + opening.moved_aside_to + kListMovedAsideEnd, kAppTitle,
                    platform::MessageIcon::Exclamation, platform::MessageButtons::Ok);
    }
    if (!opening.unusable_reason.empty() && s_.settings.KeepsTheList()) {
        s_.box.Show(opening.unusable_reason + kListNotKeptEnd, kAppTitle,
                    platform::MessageIcon::Exclamation, platform::MessageButtons::Ok);
    }
}

void AppLifecycle::TellFolderReplaced(const std::string& stored) {
    const std::string text = kFolderReplacedStart + stored + kFolderReplacedMiddle +
                             s_.settings.DownloadFolder() + kFolderReplacedEnd;
    s_.box.Show(text, kAppTitle, platform::MessageIcon::Exclamation, platform::MessageButtons::Ok);
}

bool AppLifecycle::SetUpWindow() {
    s_.tray.SetIcon(platform::JoinPath(s_.paths.ProgramFolder(), kTrayIconFile));
    s_.tray.SetInTray(true);
    s_.window.SetCaption(kAppTitle);
    s_.window.SetIcon(platform::JoinPath(s_.paths.ProgramFolder(), kWindowIconFile));
    s_.window.PlaceSkin(0, 0, kWindowWidth, kWindowHeight);
    s_.window.SetSize(kWindowWidth, kWindowHeight);
    std::string error;
    const std::string skin_file = platform::JoinPath(s_.paths.ProgramFolder(), kSkinFile);
    if (!s_.window.LoadSkin(skin_file, error)) {
        s_.box.Show(kSkinFailedPrefix + skin_file + kSkinFailedMiddle + error, kAppTitle,
                    platform::MessageIcon::Critical, platform::MessageButtons::Ok);
        return false;
    }
    layout_.Restore();
    layout_.PlaceGrid();
    SetUpGrid(s_.grid);
    SetSkinVariable(s_.skin, kSkinAboutText, AboutText());
    return true;
}

void AppLifecycle::Exit() {
    exit_timer_->Stop();
    if (s_.run.IsRunning()) {
        s_.run.Hold();
        if (!ConfirmExit()) {
            s_.run.Release();
            return;
        }
    }
    Close();
}

void AppLifecycle::ExitUnasked() {
    exit_timer_->Stop();
    Close();
}

void AppLifecycle::Close() {
    if (s_.run.IsRunning()) s_.run.Stop();
    s_.removals.Finish();
    if (ListIsKept()) {
        s_.keeper.Flush();
    } else {
        s_.part_files.RemoveAll();
    }
    layout_.Store();
    s_.settings.EndWrites();
    s_.hooks.StopHook();
    s_.monitor.SwitchMonitor(false);
    s_.tray.SetInTray(false);
    s_.window.Quit();
}

void AppLifecycle::ExitSoon() { exit_timer_->Start(kExitDelay); }

bool AppLifecycle::ConfirmExit() {
    return s_.box.Show(kConfirmExitText, kAppTitle, platform::MessageIcon::Question,
                       platform::MessageButtons::YesNo) == platform::MessageAnswer::Yes;
}

} // namespace tarnwick::shell
