#include "shell/grid_commands.h"

#include "list/status_texts.h"
#include "resolve/file_naming.h"

#include <string>

namespace tarnwick::shell {
namespace {

bool IsFileNameColumn(int column) { return std::string(list::ColumnKey(column)) == "FileName"; }

} // namespace

int16_t GridCommands::RowId(int row) const {
    return static_cast<int16_t>(std::stoi(grid_.CellText(row, list::kColumnID)));
}

void GridCommands::SelectAll() {
    const int rows = grid_.RowCount();
    for (int row = 0; row < rows; ++row) grid_.SetRowSelected(row, true);
}

bool GridCommands::IsCompleteRow(int row) const {
    return grid_.CellText(row, list::kColumnStatus) == status::kComplete;
}

bool GridCommands::IsSelectedRow(int row) const {
    return grid_.IsRowSelected(row) || grid_.IsCellSelected({row, list::kColumnVideoUrl});
}

// Walks from the last row to the first, so that the rows still to be
// visited keep their items' current IDs while removals renumber the rest.
void GridCommands::RemoveMarkedRows(bool (GridCommands::*marked)(int row) const) {
    const int rows = grid_.RowCount();
    if (rows == 0) return;
    try {
        for (int row = rows - 1; row >= 0; --row) {
            if ((this->*marked)(row)) list_.RemoveItem(RowId(row));
        }
    } catch (const std::exception&) {
        // An unreadable ID ends the walk; what was removed so far is shown.
    }
    RebuildAfterRemoval();
}

void GridCommands::RebuildAfterRemoval() {
    if (list_.IsListEmpty()) state_.GridFormatted = false;
    listing_.FillDownloadList();
}

void GridCommands::ClearCompleted() { RemoveMarkedRows(&GridCommands::IsCompleteRow); }

void GridCommands::RemoveSelected() {
    // Marks every row that holds a selected cell in one fixed place.
    const std::vector<platform::CellRef> cells = grid_.SelectedCells();
    for (auto it = cells.rbegin(); it != cells.rend(); ++it) {
        grid_.SetCellSelected({it->row, list::kColumnVideoUrl}, true);
    }
    RemoveMarkedRows(&GridCommands::IsSelectedRow);
}

void GridCommands::MoveFirstSelected(void (list::DownloadList::*move)(int16_t)) {
    const std::vector<platform::CellRef> cells = grid_.SelectedCells();
    if (!cells.empty()) {
        try {
            (list_.*move)(RowId(cells.front().row));
        } catch (const std::exception&) {
            // An unreadable ID moves nothing.
        }
    }
    listing_.FillDownloadList();
}

void GridCommands::MoveSelectedUp() { MoveFirstSelected(&list::DownloadList::MoveItemUp); }

void GridCommands::MoveSelectedDown() { MoveFirstSelected(&list::DownloadList::MoveItemDown); }

bool GridCommands::BeforeCellUpdate(platform::CellRef cell, const std::string& new_value) {
    if (!IsFileNameColumn(cell.column)) return false;
    const std::string cleaned = resolve::CleanFileName(new_value);
    if (cleaned.empty() || cleaned == resolve::kEnterFileName) return true;
    PendingFileName = cleaned;
    return false;
}

void GridCommands::AfterCellUpdate(platform::CellRef cell) {
    if (!IsFileNameColumn(cell.column)) return;
    try {
        grid_.SetCellValue(cell.row, cell.column, PendingFileName);
        list_.UpdateItem(RowId(cell.row), "", grid_.CellText(cell.row, cell.column), "", "");
    } catch (const std::exception&) {
        // The grid keeps the cleaned name; the list changes with the next edit.
    }
}

} // namespace tarnwick::shell
