// How the download grid is set up, bound, shown, and how the row of the item
// being downloaded is found.
#pragma once

#include "common/main_state.h"
#include "list/download_view.h"
#include "platform/grid.h"

#include <memory>

namespace tarnwick::shell {

class GridPresentation {
public:
    GridPresentation(MainState& state, platform::Grid& grid) : state_(state), grid_(grid) {}

    // Binds the view and, unless the grid is already set up, sets up its
    // columns and colours. Every step is guarded; a failed step is skipped.
    bool FormatDownloadGrid(bool bInit, const std::shared_ptr<list::DownloadView>& view);
    // Finds the grid row whose ID cell reads CurrentIndex + 1.
    void LocateCurrentRow();
    void ShowDownloadGrid();
    void HideDownloadGrid();

private:
    void SetUpColumns();
    void SetUpColours();

    MainState& state_;
    platform::Grid& grid_;
};

} // namespace tarnwick::shell
