// The line at the bottom of the skin: what the user should know now. In this
// order of precedence it shows a message about the user's last action (for
// four seconds), the selected item's failure reason, the running item's
// progress with its speed and time left (or, while several items are under
// way, how many and their speed together), how the last run ended (until the
// user's next action), and "Ready".
#pragma once

#include "driver/download_run.h"
#include "list/download_queue.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/skin_player.h"
#include "shell/item_ends.h"
#include "shell/transfer_speed.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::shell {

inline constexpr const char* kReadyText = "Ready";
// While a run is between two items.
inline constexpr const char* kRunningText = "Downloading\u2026";

// Where the answers to the user's actions go.
class StatusMessages {
public:
    virtual ~StatusMessages() = default;
    // Shown for `how_long`, unless another message comes first.
    virtual void ShowMessage(const std::string& text, platform::Duration how_long) = 0;
    // Shown for a few seconds.
    virtual void ShowMessage(const std::string& text) = 0;
};

struct StatusLineServices {
    list::DownloadQueue& queue;
    driver::DownloadRun& run;
    platform::Grid& grid;
    platform::SkinPlayer& skin;
    platform::Clock& clock;
};

class StatusLine : public StatusMessages,
                   private list::QueueObserver,
                   private driver::RunObserver,
                   private platform::GridSelectionListener {
public:
    static constexpr platform::Duration kMessageTime{4000};

    explicit StatusLine(StatusLineServices services);
    ~StatusLine() override;
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;

    void ShowMessage(const std::string& text, platform::Duration how_long) override;
    void ShowMessage(const std::string& text) override { ShowMessage(text, kMessageTime); }
    // What the line shows now. The skin shows "Ready" until the first write.
    const std::string& Text() const { return shown_; }

private:
    void OnChanged(int position, unsigned fields) override;
    void OnInserted(int position) override;
    void OnRemoving(int position) override;
    void OnRunEnded() override;
    void OnRunStateChanged() override;
    void OnSelectionChanged() override;
    void OnItemEnded(const list::DownloadItem& item);

    void FindSelectedItem();
    void MeasureSpeed();
    void MeasureItemSpeed(std::optional<list::ItemKey> key);
    void MeasureSpeedTogether(const std::vector<list::ItemKey>& under_way);
    void Refresh();
    std::string Compose() const;
    std::string SelectedReason() const;
    std::string RunningText() const;
    std::string SeveralItemsText(const std::vector<list::ItemKey>& under_way) const;

    StatusLineServices s_;
    std::unique_ptr<platform::Timer> message_timer_;
    // Measures and shows the speed on the screen's beat.
    std::unique_ptr<platform::Timer> speed_timer_;
    // Many selection changes in a row (select all) are looked at once.
    std::unique_ptr<platform::Timer> selection_timer_;
    std::string message_;
    std::optional<list::ItemKey> selected_;
    SpeedMeter meter_;
    std::optional<list::ItemKey> metered_;
    // The bytes of all the items under way, and their speed together.
    ReceivedTogether together_;
    SpeedMeter together_meter_;
    // The items the run under way or the last one finished and failed, and
    // what the line says of them once it ended by itself.
    ItemEnds ends_;
    int complete_ = 0;
    int failed_ = 0;
    std::string run_summary_;
    std::string shown_ = kReadyText;
};

} // namespace tarnwick::shell
