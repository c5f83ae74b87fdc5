// The download run: start and confirmed stop through one toggling command,
// and the run that walks the list, resolves each waiting item's video link,
// transfers the file into the download directory and records the outcome.
#pragma once

#include "common/main_state.h"
#include "list/download_list.h"
#include "list/download_listing.h"
#include "platform/connectivity.h"
#include "platform/message_box.h"
#include "platform/run_captions.h"
#include "platform/skin_player.h"
#include "platform/window_timer.h"
#include "resolve/link_resolver.h"
#include "shell/grid_presentation.h"
#include "transfer/download.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::driver {

inline constexpr const char* kStartCaption = "Start Downloading";
inline constexpr const char* kStopCaption = "Stop Downloading";

struct RunServices {
    MainState& state;
    list::DownloadList& list;
    list::DownloadListing& listing;
    shell::GridPresentation& presentation;
    resolve::LinkResolver& resolver;
    transfer::Download& download;
    platform::MessageBox& box;
    platform::Connectivity& connectivity;
    platform::SkinPlayer& skin;
    platform::RunCaptions& captions;
    platform::WindowTimer& tmrDownload;
};

class RunControl {
public:
    explicit RunControl(RunServices services) : s_(services) {}

    // Starts a run, or asks to stop the one under way. Returns when the run
    // it started has ended.
    void cmdStartDownload_Click();
    // The one-shot start timer's tick.
    void tmrDownload_Timer();
    // The classic add button: lists the address box's text as it is.
    void cmdAdd2List_Click(const std::string& txtURL);

    // The run loop; called by the start command.
    void StartDownloading();
    // Resolves the item's link and names its file; the link, or "-1" when
    // the item failed.
    std::string PrepareItem(int position);

    const std::string& StartButtonCaption() const { return start_caption_; }
    const std::string& TrayEntryCaption() const { return tray_caption_; }

private:
    enum class ItemEnd { kSkipped, kProcessed, kRunEnds };

    bool ConfirmStop();
    void RefuseStart(const std::string& text, const std::string& title);
    void ShowStartCaption(const std::string& caption);
    void ShowTrayCaption(const std::string& caption);
    void SetRunVariables(const char* value, bool start_first);

    ItemEnd ProcessItem(int& position);
    bool TransferFile(list::ListedItem& item, const std::string& link);
    void EndWithCancelled();
    list::ListedItem* RunItem();
    int ResumePosition(int fallback, const std::vector<uint32_t>& later_keys) const;
    void FollowRunItem();
    std::string UniqueFileName(const std::string& name, uint32_t key) const;

    RunServices s_;
    std::string start_caption_ = kStartCaption;
    std::string tray_caption_ = kStartCaption;
};

// The outcome of a transfer by the item's size text: "ERROR" when its first
// two characters read as -1 or as no number at all, otherwise "Complete".
std::string OutcomeOfSizeText(const std::string& size_text);

} // namespace tarnwick::driver
