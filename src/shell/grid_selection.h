// What the grid's selection holds, in items of the list.
#pragma once

#include "list/download_queue.h"
#include "platform/grid.h"

#include <optional>
#include <vector>

namespace tarnwick::shell {

// The items of the selected rows and of the rows holding a selected cell, in
// list order.
std::vector<list::ItemKey> SelectedItems(const list::DownloadQueue& queue,
                                         const platform::Grid& grid);

// The row of the first selected cell in the grid's enumeration, which the
// moves act on; none without a selected cell.
std::optional<int> FirstSelectedCellRow(const list::DownloadQueue& queue,
                                        const platform::Grid& grid);

} // namespace tarnwick::shell
