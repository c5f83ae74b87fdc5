// The list's view in the grid: rebuilding it from the list, and the one entry
// point for new page addresses.
#pragma once

#include "common/main_state.h"
#include "list/download_list.h"
#include "list/download_view.h"
#include "platform/event_pump.h"
#include "platform/message_box.h"
#include "shell/grid_presentation.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tarnwick::list {

class DownloadListing {
public:
    // Event-pump rounds before and after each row of a rebuild.
    static constexpr int kRoundsPerHalfRow = 7;

    DownloadListing(MainState& state, DownloadList& list, platform::EventPump& pump,
                    platform::MessageBox& box, platform::Grid& grid,
                    shell::GridPresentation& presentation)
        : state_(state),
          list_(list),
          pump_(pump),
          box_(box),
          grid_(grid),
          presentation_(presentation) {}

    // Rebuilds the view from the list and has the grid re-bound. A rebuild
    // asked for while one is filling is dropped.
    void FillDownloadList();
    // Lists the address, waiting or marked as not supported, and rebuilds.
    void AddVideoURL(const std::string& address);

    const std::shared_ptr<DownloadView>& View() const { return view_; }

private:
    void FillRows(DownloadView& view);
    void FollowRunItem();
    void Yield();
    void ReportFillError(int64_t number, const std::string& description);

    MainState& state_;
    DownloadList& list_;
    platform::EventPump& pump_;
    platform::MessageBox& box_;
    platform::Grid& grid_;
    shell::GridPresentation& presentation_;
    std::shared_ptr<DownloadView> view_;
};

} // namespace tarnwick::list
