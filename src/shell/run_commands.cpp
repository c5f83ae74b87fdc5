#include "shell/run_commands.h"

#include "common/app_info.h"
#include "shell/message_texts.h"
#include "shell/skin_variables.h"

#include <algorithm>

namespace tarnwick::shell {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

RunCommands::RunCommands(RunCommandServices services)
    : s_(services), start_timer_(s_.clock.NewTimer([this] {
          StartIfIdle(std::exchange(requested_, driver::RunScope::kWaiting));
      })) {
    s_.run.AddObserver(this);
}

RunCommands::~RunCommands() { s_.run.RemoveObserver(this); }

void RunCommands::RequestStart(driver::RunScope scope) {
    if (scope == driver::RunScope::kRunnable) requested_ = scope;
    if (!start_timer_->IsActive()) start_timer_->Start(kStartDelay);
}

void RunCommands::StartIfIdle(driver::RunScope scope) {
    // A start asked for earlier never turns into the question whether to stop;
    // one that would find nothing to take starts nothing.
    if (s_.run.IsRunning()) return;
    if (scope == driver::RunScope::kWaiting && !s_.run.HasItemsFor(scope)) return;
    ToggleRun(scope);
}

void RunCommands::ToggleRun(driver::RunScope scope) {
    if (s_.queue.IsEmpty()) {
        SetSkinVariable(s_.skin, kSkinStartDownload, "1");
        s_.box.Show(kEmptyListText, kEmptyListTitle, MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    if (s_.run.IsRunning()) {
        StopRun();
        return;
    }
    if (!s_.connectivity.HasConnection()) {
        s_.box.Show(kNotConnectedText, kAppTitle, MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    StartRun(scope);
}

void RunCommands::StartRun(driver::RunScope scope) {
    tray_caption_ = kStopCaption;
    SetRunVariables("0", false);
    if (s_.pages.current == SkinPage::kAbout) {
        SetSkinVariable(s_.skin, kSkinDownloadButtonTab, "1");
    }
    s_.run.Start(scope);
}

void RunCommands::StopRun() {
    if (!AskToStop()) return;
    s_.run.Stop();
    tray_caption_ = kStartCaption;
    SetRunVariables("1", false);
}

void RunCommands::StopItems(const std::vector<list::ItemKey>& keys) {
    if (!s_.run.IsRunning()) return;
    const std::vector<list::ItemKey> under_way = s_.run.ItemsUnderWay();
    const bool all = std::all_of(under_way.begin(), under_way.end(), [&](list::ItemKey key) {
        return std::find(keys.begin(), keys.end(), key) != keys.end();
    });
    if (all) return StopRun();
    if (!AskToStop()) return;
    s_.run.StopItems(keys);
    s_.run.Release();
}

// Asks whether to stop, holding the run meanwhile. On Yes the run is left
// held for the caller; otherwise it is released, or was stopped meanwhile
// (by the exit).
bool RunCommands::AskToStop() {
    s_.run.Hold();
    const MessageAnswer answer =
        s_.box.Show(kConfirmStopText, kAppTitle, MessageIcon::Question, MessageButtons::YesNo);
    if (!s_.run.IsRunning()) return false;
    if (answer == MessageAnswer::Yes) return true;
    s_.run.Release();
    return false;
}

void RunCommands::OnRunEnded() {
    SetRunVariables("1", true);
    tray_caption_ = kStartCaption;
}

// The three run-state variables; the end of a run writes startDownload first.
void RunCommands::SetRunVariables(const char* value, bool start_first) {
    if (start_first) {
        SetSkinVariable(s_.skin, kSkinStartDownload, value);
        SetSkinVariable(s_.skin, kSkinDownloadButton, value);
    } else {
        SetSkinVariable(s_.skin, kSkinDownloadButton, value);
        SetSkinVariable(s_.skin, kSkinStartDownload, value);
    }
    SetSkinVariable(s_.skin, kSkinDownloadTab, value);
}

} // namespace tarnwick::shell
