#include "fakes/fake_grid.h"

#include "platform/platform_error.h"

#include <algorithm>

namespace tarnwick::fakes {

void FakeGrid::Bind(std::shared_ptr<list::DownloadView> new_view) {
    if (fail_next_bind != 0) {
        const long number = fail_next_bind;
        fail_next_bind = 0;
        throw platform::PlatformError(number, "bind failed");
    }
    ++binds;
    if (!new_view) ++null_binds;
    view = std::move(new_view);
    selected_rows.clear();
    selected_cells.clear();
    selected_columns.clear();
}

void FakeGrid::SetColumn(int column, const std::string& caption, int width_twips, bool editable) {
    columns[column] = {caption, width_twips, editable};
    ++column_setups;
}

void FakeGrid::SetAppearance(platform::Rgb background, platform::Rgb second) {
    appearances.emplace_back(background, second);
}

void FakeGrid::SetAppearanceGroup(int group, platform::Rgb background,
                                  std::optional<platform::Rgb> text) {
    groups.push_back({group, {background, text}});
}

std::string FakeGrid::CellText(int row, int column) const {
    return view ? view->CellText(row, column) : std::string();
}

void FakeGrid::SetCellValue(int row, int column, const std::string& value) {
    if (on_cell_write) on_cell_write({row, column, value});
    cell_writes.push_back({row, column, value});
    if (view) view->SetCellText(row, column, value);
}

void FakeGrid::SetRowSelected(int row, bool selected) {
    if (selected) {
        selected_rows.insert(row);
    } else {
        selected_rows.erase(row);
    }
}

bool FakeGrid::IsCellSelected(platform::CellRef cell) const {
    return std::find(selected_cells.begin(), selected_cells.end(), cell) != selected_cells.end();
}

void FakeGrid::SetCellSelected(platform::CellRef cell, bool selected) {
    const auto it = std::find(selected_cells.begin(), selected_cells.end(), cell);
    if (selected && it == selected_cells.end()) selected_cells.push_back(cell);
    if (!selected && it != selected_cells.end()) selected_cells.erase(it);
}

bool FakeGrid::UserEdits(platform::CellRef cell, const std::string& value) {
    if (edit_handler != nullptr && edit_handler->BeforeCellUpdate(cell, value)) return false;
    if (view) view->SetCellText(cell.row, cell.column, value);
    if (edit_handler != nullptr) edit_handler->AfterCellUpdate(cell);
    return true;
}

} // namespace tarnwick::fakes
