#include "shell/clipboard_monitor.h"

#include "common/skip_on_failure.h"
#include "resolve/site_index.h"
#include "settings/skin_variables.h"

#include <utility>

namespace tarnwick::shell {

ClipboardMonitor::ClipboardMonitor(ClipboardMonitorServices services) : s_(std::move(services)) {
    s_.tmrMonitor.SetInterval(kPollInterval);
    s_.tmrMonitor.SetTickHandler([this] { tmrMonitor_Timer(); });
}

void ClipboardMonitor::txtMonitor_Change(const std::string& text) {
    if (text.empty()) return;
    SkipOnFailure([&] { s_.listing.AddVideoURL(text); });
    SkipOnFailure([&] { settings::SetSkinVariable(s_.skin, settings::kSkinVideoUrl, text); });
    if (!s_.state.Downloading) SkipOnFailure([&] { s_.tmrDownload.SetEnabled(true); });
}

void ClipboardMonitor::tmrMonitor_Timer() {
    std::string text;
    SkipOnFailure([&] { text = s_.clipboard.Text(); });
    if (text != last_clipboard_text_ && resolve::GetSiteIndex(text) != resolve::kSiteNone) {
        SkipOnFailure([&] { s_.listing.AddVideoURL(text); });
        SkipOnFailure([&] { settings::SetSkinVariable(s_.skin, settings::kSkinVideoUrl, text); });
        // Remembered before the run starts: ticks inside the run see it as old.
        last_clipboard_text_ = text;
        if (!s_.state.Downloading && s_.start_run) SkipOnFailure([&] { s_.start_run(); });
    }
    last_clipboard_text_ = text;
}

void ClipboardMonitor::chkMonitor_Click() {
    last_clipboard_text_.clear();
    const bool poll = !s_.tmrMonitor.Enabled();
    s_.tmrMonitor.SetEnabled(poll);
    s_.state.MonitorEnabled = poll;
    // From now on the timer is the check box's.
    polling_stands_in_ = false;
}

void ClipboardMonitor::SwitchMonitor(bool bState) {
    const bool launched = s_.watcher.Monitor(bState);
    StandInForWatcher(bState && !launched);
}

void ClipboardMonitor::StandInForWatcher(bool stand_in) {
    if (stand_in == polling_stands_in_) return;
    // The check box's polling already covers the clipboard.
    if (stand_in && s_.tmrMonitor.Enabled()) return;
    s_.tmrMonitor.SetEnabled(stand_in);
    polling_stands_in_ = stand_in;
}

void ClipboardMonitor::SwitchMonitorAndPublish(bool bState) {
    SwitchMonitor(bState);
    s_.settings.PublishSettings();
}

} // namespace tarnwick::shell
