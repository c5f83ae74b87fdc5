// The commands that act on the download list through the grid's rows and
// selection, and the in-place edit of an item's local file name.
#pragma once

#include "common/main_state.h"
#include "list/download_list.h"
#include "list/download_listing.h"
#include "platform/grid.h"

#include <string>

namespace tarnwick::shell {

class GridCommands : public platform::GridEditHandler {
public:
    GridCommands(MainState& state, list::DownloadList& list, platform::Grid& grid,
                 list::DownloadListing& listing)
        : state_(state), list_(list), grid_(grid), listing_(listing) {}

    // Marks every row selected; the list is not touched.
    void SelectAll();
    // Removes the items of the selected rows and of the rows holding a selected cell.
    void RemoveSelected();
    // Removes every item whose status reads "Complete".
    void ClearCompleted();
    // Moves the item of the first selected cell one place up or down.
    void MoveSelectedUp();
    void MoveSelectedDown();

    // Editing the FileName column: the name is cleaned before it is accepted,
    // and a name that cleans down to nothing is refused.
    bool BeforeCellUpdate(platform::CellRef cell, const std::string& new_value) override;
    void AfterCellUpdate(platform::CellRef cell) override;

private:
    int16_t RowId(int row) const;
    void RemoveMarkedRows(bool (GridCommands::*marked)(int row) const);
    bool IsCompleteRow(int row) const;
    bool IsSelectedRow(int row) const;
    void RebuildAfterRemoval();
    void MoveFirstSelected(void (list::DownloadList::*move)(int16_t));

    MainState& state_;
    list::DownloadList& list_;
    platform::Grid& grid_;
    list::DownloadListing& listing_;
    std::string PendingFileName;
};

} // namespace tarnwick::shell
