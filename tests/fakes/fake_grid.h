// A grid that records binds, set-up calls and cell writes, and keeps the
// row and cell selection as plain sets.
#pragma once

#include "platform/grid.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::fakes {

class FakeGrid : public platform::Grid {
public:
    struct ColumnSetup {
        std::string caption;
        int width_twips = 0;
        bool editable = false;
    };
    struct CellWrite {
        int row;
        int column;
        std::string value;
    };

    void Bind(std::shared_ptr<list::DownloadView> view) override;
    void SetCaption(const std::string& caption) override { this->caption = caption; }
    void ResetDisplayOptions() override { ++display_option_resets; }
    void SetColumn(int column, const std::string& caption, int width_twips, bool editable) override;
    void SetAppearance(platform::Rgb background, platform::Rgb second) override;
    void SetAppearanceGroup(int group, platform::Rgb background,
                            std::optional<platform::Rgb> text) override;
    void SetVisible(bool visible) override { this->visible = visible; }
    void BringToFront() override { ++brought_to_front; }
    int RowCount() const override { return view ? view->RowCount() : 0; }
    std::string CellText(int row, int column) const override;
    void SetCellValue(int row, int column, const std::string& value) override;
    bool IsRowSelected(int row) const override { return selected_rows.count(row) > 0; }
    void SetRowSelected(int row, bool selected) override;
    bool IsCellSelected(platform::CellRef cell) const override;
    void SetCellSelected(platform::CellRef cell, bool selected) override;
    bool IsColumnSelected(int column) const override { return selected_columns.count(column) > 0; }
    std::vector<platform::CellRef> SelectedCells() const override { return selected_cells; }
    void SetEditHandler(platform::GridEditHandler* handler) override { edit_handler = handler; }
    void ScrollRows(int action) override { scroll_actions.push_back(action); }
    bool HasFocus() const override { return focused; }

    // Plays a user's edit of a cell through the editing notifications.
    bool UserEdits(platform::CellRef cell, const std::string& value);

    std::shared_ptr<list::DownloadView> view;
    int binds = 0;
    int null_binds = 0;
    // When set, the next Bind throws a platform error with this number.
    long fail_next_bind = 0;
    std::string caption = "unset";
    int display_option_resets = 0;
    std::map<int, ColumnSetup> columns;
    int column_setups = 0;
    std::vector<std::pair<platform::Rgb, platform::Rgb>> appearances;
    std::vector<std::pair<int, std::pair<platform::Rgb, std::optional<platform::Rgb>>>> groups;
    bool visible = true;
    int brought_to_front = 0;
    std::vector<CellWrite> cell_writes;
    // Called on each cell write, before the cell changes.
    std::function<void(const CellWrite&)> on_cell_write;
    std::set<int> selected_rows;
    std::set<int> selected_columns;
    std::vector<platform::CellRef> selected_cells;
    platform::GridEditHandler* edit_handler = nullptr;
    std::vector<int> scroll_actions;
    bool focused = false;
};

} // namespace tarnwick::fakes
