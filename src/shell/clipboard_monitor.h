// The clipboard monitor: the addresses that the watcher program delivers, the
// polling timer that reads the clipboard itself, and the switches that turn
// them on and off.
//
// Two ways watch the clipboard. The user's switches (the skin's check box, the
// tray menu's entry, the stored setting at start-up) start and stop the
// watcher program through SwitchMonitor; the main window's classic check box
// switches the polling timer tmrMonitor. When the watcher program cannot be
// started, SwitchMonitor lets the polling timer stand in for it until the
// monitor is switched off, so that copying still works; MonitorEnabled
// follows the user's switch either way.
#pragma once

#include "common/main_state.h"
#include "list/download_listing.h"
#include "platform/clipboard.h"
#include "platform/skin_player.h"
#include "platform/window_timer.h"
#include "settings/application_settings.h"
#include "shell/monitor.h"

#include <functional>
#include <string>

namespace tarnwick::shell {

struct ClipboardMonitorServices {
    MainState& state;
    list::DownloadListing& listing;
    platform::SkinPlayer& skin;
    platform::Clipboard& clipboard;
    platform::WindowTimer& tmrMonitor;
    platform::WindowTimer& tmrDownload;
    ClipboardWatcher& watcher;
    settings::ApplicationSettings& settings;
    // The main window's start command (cmdStartDownload_Click): a poll that
    // finds a new address starts a run through it at once.
    std::function<void()> start_run;
};

class ClipboardMonitor {
public:
    static constexpr int kPollInterval = 2000;

    // Gives tmrMonitor its interval and has its tick run the poll; the timer's
    // enabled state is left as it is (disabled when the window is created).
    // The monitor must outlive the timer's ticks.
    explicit ClipboardMonitor(ClipboardMonitorServices services);

    // The watcher's delivery of one address: lists it (a supported one as
    // waiting, any other as not supported), shows it in the skin's address
    // field and, when no run is under way, enables tmrDownload to start one.
    // An empty delivery does nothing; a failing step is skipped.
    void txtMonitor_Change(const std::string& text);

    // One poll: a clipboard text that differs from the last one seen and
    // belongs to a supported site is listed, shown in the skin, and starts a
    // run at once when none is under way. Failing steps are skipped.
    void tmrMonitor_Timer();
    void CallMonTimer() { tmrMonitor_Timer(); }

    // The classic check box: forgets the last clipboard text and switches the
    // polling timer, with MonitorEnabled following it.
    void chkMonitor_Click();

    // Starts (true) or stops (false) the watcher program through Monitor and
    // sets MonitorEnabled to bState. A watcher that cannot be started is
    // replaced by the polling timer, unless the check box already polls; the
    // stand-in ends when the monitor is switched off or the watcher starts.
    // The skin's auto-download commands, the start-up's settings and the exit
    // call this; the caller saves or publishes the settings as it needs.
    void SwitchMonitor(bool bState);

    // The tray menu's "Monitor Video URL's in Clipboard", chosen with bState
    // the opposite of its check mark: switches and publishes the settings to
    // the skin. The change is not saved.
    void SwitchMonitorAndPublish(bool bState);

    // The clipboard text that the last poll saw.
    const std::string& LastClipboardText() const { return last_clipboard_text_; }
    // Whether the polling timer runs in place of a watcher that could not start.
    bool PollingStandsIn() const { return polling_stands_in_; }

private:
    void StandInForWatcher(bool stand_in);

    ClipboardMonitorServices s_;
    std::string last_clipboard_text_;
    bool polling_stands_in_ = false;
};

} // namespace tarnwick::shell
