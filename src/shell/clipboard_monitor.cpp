#include "shell/clipboard_monitor.h"

#include "resolve/page_address.h"
#include "shell/skin_variables.h"

#include <utility>

namespace tarnwick::shell {

ClipboardMonitor::ClipboardMonitor(ClipboardMonitorServices services)
    : s_(services), poll_timer_(s_.clock.NewTimer([this] {
          poll_timer_->Start(kPollInterval);
          Poll();
      })) {}

void ClipboardMonitor::OnDelivery(const std::string& text) {
    using platform::TraceArea;
    // The program's own copy comes back once, and is listed already.
    if (resolve::CleanAddress(text) == std::exchange(own_copy_, {})) {
        s_.trace.Note(TraceArea::kClip, [] { return std::string("delivery of our own copy"); });
        return;
    }
    const std::string address = s_.entry.Add(text, list::Origin::kClipboard);
    s_.trace.Note(TraceArea::kClip, [&] {
        return "delivery of " + std::to_string(text.size()) + " bytes" +
               (address.empty() ? ", nothing listed" : ", listed " + address);
    });
    if (address.empty()) return;
    SetSkinVariable(s_.skin, kSkinVideoUrl, address);
    // The items the user stopped stay stopped: only what waits is taken.
    if (!s_.runs.IsRunning()) s_.runs.RequestStart(driver::RunScope::kWaiting);
}

void ClipboardMonitor::Poll() {
    const std::string text = s_.clipboard.Text();
    if (text == std::exchange(last_clipboard_text_, text)) return;
    const std::vector<std::string> addresses = resolve::CopiedVideoAddresses(text);
    if (addresses.empty()) return;
    for (const std::string& address : addresses) {
        SetSkinVariable(s_.skin, kSkinVideoUrl, s_.entry.Add(address, list::Origin::kClipboard));
    }
    s_.runs.StartIfIdle(driver::RunScope::kWaiting);
}

void ClipboardMonitor::CopyToClipboard(const std::string& text) {
    s_.clipboard.SetText(text);
    last_clipboard_text_ = text;
    own_copy_ = resolve::CleanAddress(text);
}

void ClipboardMonitor::SwitchMonitor(bool on) {
    const bool launched = s_.watcher.Launch(on);
    s_.settings.monitor_enabled = on;
    StandInForWatcher(on && !launched && stand_in_allowed_);
}

void ClipboardMonitor::StandInForWatcher(bool stand_in) {
    if (stand_in == polling_stands_in_) return;
    polling_stands_in_ = stand_in;
    if (stand_in) {
        last_clipboard_text_ = s_.clipboard.Text();
        poll_timer_->Start(kPollInterval);
    } else {
        poll_timer_->Stop();
    }
}

} // namespace tarnwick::shell
