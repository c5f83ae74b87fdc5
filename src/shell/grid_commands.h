// The commands that act on the download list through the grid's rows and
// selection, and the in-place edit of an item's local file name. Each command
// that changes the list leaves nothing selected, so that the next command
// acts only on what the user selects anew.
#pragma once

#include "list/download_queue.h"
#include "platform/grid.h"
#include "settings/application_settings.h"
#include "shell/removals.h"

#include <string>
#include <vector>

namespace tarnwick::shell {

class GridCommands : public platform::GridEditHandler {
public:
    GridCommands(list::DownloadQueue& queue, platform::Grid& grid,
                 const settings::AppSettings& settings, Removals& removals)
        : queue_(queue), grid_(grid), settings_(settings), removals_(removals) {}

    // Marks every row selected; the list is not touched.
    void SelectAll();
    // Removes the items of the selected rows and of the rows holding a
    // selected cell, so that the removal can be undone.
    void RemoveSelected();
    // Removes every complete item, so that the removal can be undone.
    void ClearCompleted();
    // Puts the failed items of the selected rows and cells back to waiting, so
    // that the next run takes them again; a placeholder name is derived anew,
    // a size that the answer did not tell is unknown again, and the site is
    // told again, as the switch for other sites now says.
    void RetrySelected();
    // Moves the item of the first selected cell one place up or down; it
    // stays selected, alone.
    void MoveSelectedUp() { MoveFirstSelected(&list::DownloadQueue::MoveUp); }
    void MoveSelectedDown() { MoveFirstSelected(&list::DownloadQueue::MoveDown); }

    // The name is cleaned before it is accepted, and keeps the extension of
    // the item's name when it has none; a name that cleans down to nothing
    // is refused. Accepted for every item, the running one too.
    bool OnFileNameEdited(int row, const std::string& text) override;

private:
    // The items of the selected rows and of the rows holding a selected cell.
    std::vector<list::ItemKey> SelectedItems() const;
    void MoveFirstSelected(bool (list::DownloadQueue::*move)(list::ItemKey));

    list::DownloadQueue& queue_;
    platform::Grid& grid_;
    const settings::AppSettings& settings_;
    Removals& removals_;
};

} // namespace tarnwick::shell
