// The main window's handling of the Download component's events: progress
// into the current item's status and its grid row, the outcome of a page
// fetch for link resolution, and the user's stop request to the component.
#pragma once

#include "common/main_state.h"
#include "list/download_list.h"
#include "list/download_listing.h"
#include "platform/grid.h"
#include "transfer/download.h"
#include "transfer/download_events.h"

namespace tarnwick::driver {

class TransferEventHandler : public transfer::DownloadEvents {
public:
    TransferEventHandler(MainState& state, list::DownloadList& list, platform::Grid& grid,
                         list::DownloadListing& listing, transfer::Download& download)
        : state_(state), list_(list), grid_(grid), listing_(listing), download_(download) {}

    void DownloadComplete() override;
    void DownloadProgress(int64_t lProgress) override;
    void DownloadError(const std::string& sErrorDescription) override;
    // A cancelled transfer changes nothing here.
    void DownloadCancelled(int64_t lPosition) override { (void)lPosition; }

private:
    void ShowPageFetchProgress(list::ListedItem& item, int64_t lProgress);
    void ShowFileProgress(list::ListedItem& item, int64_t lProgress);
    void WriteStatusCell(const std::string& status);
    bool RunItemWasRemoved() const;

    MainState& state_;
    list::DownloadList& list_;
    platform::Grid& grid_;
    list::DownloadListing& listing_;
    transfer::Download& download_;
};

} // namespace tarnwick::driver
