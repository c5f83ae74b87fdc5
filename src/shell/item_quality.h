// An item's own choice of what is kept of its video, made in its "Quality…"
// dialog: its page is first asked (by yt-dlp, where the user has it) what it
// offers; the choice is kept with the item, and an item under way starts
// again with it.
#pragma once

#include "driver/item_login.h"
#include "driver/ytdlp_ask.h"
#include "driver/ytdlp_tool.h"
#include "list/download_queue.h"
#include "platform/child_process.h"
#include "platform/clock.h"
#include "platform/quality_dialog.h"
#include "shell/quality_form.h"
#include "shell/status_line.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick::shell {

struct ItemQualityServices {
    list::DownloadQueue& queue;
    platform::QualityDialog& dialog;
    StatusMessages& messages;
    platform::Clock& clock;
    // yt-dlp, where the user has it and lets it be used; none without.
    platform::ChildProcesses* children = nullptr;
    driver::YtDlpTool* ytdlp = nullptr;
    std::function<bool()> uses_ytdlp = {};
    std::function<driver::UserLogins()> logins = {};
    // The choice of the settings, for an item without one of its own.
    std::function<resolve::QualityPreferences()> settings_choice = {};
    // Ends the item under way and lists it to start again.
    std::function<void(list::ItemKey)> restart = {};
    // Whether the item is under way now.
    std::function<bool(list::ItemKey)> is_under_way = {};
};

class ItemQuality {
public:
    explicit ItemQuality(ItemQualityServices services) : s_(std::move(services)) {}

    void Open(list::ItemKey key);

private:
    void OnAnswer(list::ItemKey key, Result<resolve::YtDlpAnswer> answer);
    void Show(list::ItemKey key, const std::optional<resolve::QualityOffers>& offers,
              const std::string& note);
    void OnPicks(list::ItemKey key, const std::optional<platform::QualityPicks>& picks);
    std::optional<std::string> YtDlpProgram() const;

    ItemQualityServices s_;
    std::unique_ptr<driver::YtDlpAsk> asking_;
    QualityFormMade shown_;
};

} // namespace tarnwick::shell
