// The clipboard monitor: the addresses that the watcher program delivers, the
// polling timer that reads the clipboard itself, and the switch that turns
// them on and off.
//
// The user's switches (the skin's check box, the tray menu's entry, the
// stored setting at start-up) start and stop the watcher program through
// SwitchMonitor. When the watcher program cannot be started, the polling
// timer stands in for it until the monitor is switched off, so that copying
// still works; the monitor setting follows the user's switch either way.
#pragma once

#include "list/download_queue.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/skin_player.h"
#include "platform/trace.h"
#include "settings/application_settings.h"
#include "shell/address_entry.h"
#include "shell/run_commands.h"
#include "shell/watcher_launch.h"

#include <memory>
#include <string>
#include <vector>

namespace tarnwick::shell {

struct ClipboardMonitorServices {
    AddressEntry& entry;
    platform::SkinPlayer& skin;
    platform::Clipboard& clipboard;
    platform::Clock& clock;
    ClipboardWatcher& watcher;
    settings::AppSettings& settings;
    RunStarter& runs;
    platform::Trace& trace;
};

class ClipboardMonitor {
public:
    static constexpr platform::Duration kPollInterval{2000};

    explicit ClipboardMonitor(ClipboardMonitorServices services);

    // The watcher's delivery of one address: lists it cleaned (a supported
    // one as waiting, any other as not supported), shows it in the skin's
    // address field and, when no run is under way, asks for a run to start.
    // A delivery of nothing but blanks does nothing.
    void OnDelivery(const std::string& address);

    // One poll: of a clipboard text that differs from the last one seen, each
    // address the watcher would pass on too (resolve::CopiedVideoAddresses,
    // one a line) is listed and shown in the skin, the last one staying, and
    // a run starts at once when none is under way. The polling goes on
    // through the run.
    void Poll();

    // Starts or stops the watcher program and sets the monitor setting. A
    // watcher that cannot be started is replaced by the polling timer; the
    // stand-in takes what is on the clipboard then as seen, so that only
    // later copies are listed, and ends when the monitor is switched off or
    // the watcher starts. The caller saves or publishes the
    // setting as it needs.
    void SwitchMonitor(bool on);

    // Puts the text on the clipboard as the program's own copy, which neither
    // the watcher's delivery nor the polling lists again.
    void CopyToClipboard(const std::string& text);

    // Whether the polling timer may stand in for a watcher that cannot start;
    // it may unless told otherwise (to try the watcher alone).
    void AllowPollingStandIn(bool allowed) { stand_in_allowed_ = allowed; }

    const std::string& LastClipboardText() const { return last_clipboard_text_; }
    bool PollingStandsIn() const { return polling_stands_in_; }

private:
    void StandInForWatcher(bool stand_in);

    ClipboardMonitorServices s_;
    std::unique_ptr<platform::Timer> poll_timer_;
    std::string last_clipboard_text_;
    // The address the watcher delivers of the program's own copy, until then.
    std::string own_copy_;
    bool polling_stands_in_ = false;
    bool stand_in_allowed_ = true;
};

} // namespace tarnwick::shell
