// Starting and stopping the download run from the user's commands: the one
// toggling start/stop command with its refusals and its confirmation, the
// deferred start, and the run's state shown in the skin and the tray menu.
#pragma once

#include "driver/download_run.h"
#include "list/download_queue.h"
#include "platform/clock.h"
#include "platform/connectivity.h"
#include "platform/message_box.h"
#include "platform/skin_player.h"
#include "shell/skin_pages.h"

#include <memory>
#include <string>
#include <vector>

namespace tarnwick::shell {

inline constexpr const char* kStartCaption = "Start Downloading";
inline constexpr const char* kStopCaption = "Stop Downloading";
// How long a requested start waits.
inline constexpr platform::Duration kStartDelay{200};

// What starts runs for others (the clipboard monitor).
class RunStarter {
public:
    virtual ~RunStarter() = default;
    virtual bool IsRunning() const = 0;
    // Starts a run of `scope` kStartDelay from now, unless one is under way
    // by then; the widest scope asked for meanwhile counts.
    virtual void RequestStart(driver::RunScope scope = driver::RunScope::kRunnable) = 0;
    // Starts a run of `scope` at once, unless one is under way.
    virtual void StartIfIdle(driver::RunScope scope = driver::RunScope::kRunnable) = 0;
};

struct RunCommandServices {
    list::DownloadQueue& queue;
    driver::DownloadRun& run;
    platform::MessageBox& box;
    platform::Connectivity& connectivity;
    platform::SkinPlayer& skin;
    platform::Clock& clock;
    const SkinPages& pages;
};

class RunCommands : public RunStarter, private driver::RunObserver {
public:
    explicit RunCommands(RunCommandServices services);
    ~RunCommands() override;

    bool IsRunning() const override { return s_.run.IsRunning(); }
    void RequestStart(driver::RunScope scope = driver::RunScope::kRunnable) override;
    void StartIfIdle(driver::RunScope scope = driver::RunScope::kRunnable) override;
    // An empty list is refused first. While a run is under way, asks and
    // stops it on Yes; otherwise checks the connection and starts one of
    // `scope`. The run starts no new item while the question is open, and a
    // Yes stops the item that runs when it is given.
    void ToggleRun(driver::RunScope scope = driver::RunScope::kRunnable);
    // Stops the items of `keys` that are under way, asking as the stop of
    // the run asks; the run goes on with the others. Where they are all the
    // items under way, the run stops.
    void StopItems(const std::vector<list::ItemKey>& keys);

    // The caption of the tray menu's start/stop entry.
    const std::string& TrayEntryCaption() const { return tray_caption_; }
    // Whether a requested start is still to come.
    bool StartPending() const { return start_timer_->IsActive(); }

private:
    void OnRunEnded() override;
    void StartRun(driver::RunScope scope);
    void StopRun();
    bool AskToStop();
    void SetRunVariables(const char* value, bool start_first);

    RunCommandServices s_;
    std::unique_ptr<platform::Timer> start_timer_;
    driver::RunScope requested_ = driver::RunScope::kWaiting;
    std::string tray_caption_ = kStartCaption;
};

} // namespace tarnwick::shell
