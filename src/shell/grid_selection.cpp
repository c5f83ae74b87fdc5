#include "shell/grid_selection.h"

#include <set>

namespace tarnwick::shell {

std::vector<list::ItemKey> SelectedItems(const list::DownloadQueue& queue,
                                         const platform::Grid& grid) {
    std::set<int> marked;
    for (const platform::CellRef& cell : grid.SelectedCells()) marked.insert(cell.row);
    const int rows = grid.RowCount();
    for (int row = 0; row < rows; ++row) {
        if (grid.IsRowSelected(row)) marked.insert(row);
    }
    std::vector<list::ItemKey> keys;
    for (const int row : marked) {
        if (row < queue.Count()) keys.push_back(queue.At(row).key);
    }
    return keys;
}

std::optional<int> FirstSelectedCellRow(const list::DownloadQueue& queue,
                                        const platform::Grid& grid) {
    const std::vector<platform::CellRef> cells = grid.SelectedCells();
    if (cells.empty() || cells.front().row >= queue.Count()) return std::nullopt;
    return cells.front().row;
}

} // namespace tarnwick::shell
