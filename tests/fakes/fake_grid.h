// A grid that records its set-up and keeps the row and cell selection as
// plain sets; its rows are those of the queue it shows.
#pragma once

#include "list/download_queue.h"
#include "platform/grid.h"

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
        platform::ColumnWidth width;
        bool editable = false;
        bool operator==(const ColumnSetup&) const = default;
    };
    using Group = std::pair<platform::Rgb, std::optional<platform::Rgb>>;

    explicit FakeGrid(const list::DownloadQueue& queue) : queue_(queue) {}

    void SetCaption(const std::string& caption) override { this->caption = caption; }
    void ResetDisplayOptions() override { ++display_option_resets; }
    void SetColumn(int column, const std::string& caption, const platform::ColumnWidth& width,
                   bool editable) override {
        columns[column] = {caption, width, editable};
    }
    void FitColumnToRows(int column) override { columns_fitting_rows.insert(column); }
    std::vector<int> ColumnWidths() const override { return widths; }
    void SetColumnWidths(const std::vector<int>& widths) override { this->widths = widths; }
    void SetColumnListener(platform::GridColumnListener* listener) override {
        column_listener = listener;
    }
    void SetAppearance(platform::Rgb background, platform::Rgb second) override {
        appearance = {background, second};
    }
    void SetAppearanceGroup(int group, platform::Rgb background,
                            std::optional<platform::Rgb> text) override {
        groups.emplace_back(group, Group{background, text});
    }
    void SetVisible(bool visible) override { this->visible = visible; }
    void BringToFront() override { ++brought_to_front; }
    int RowCount() const override { return queue_.Count(); }
    bool IsRowSelected(int row) const override { return selected_rows.count(row) > 0; }
    void SetRowSelected(int row, bool selected) override {
        if (selected) {
            selected_rows.insert(row);
        } else {
            selected_rows.erase(row);
        }
        TellSelectionChanged();
    }
    void SelectAllRows() override {
        for (int row = 0; row < queue_.Count(); ++row) selected_rows.insert(row);
        TellSelectionChanged();
    }
    // A cell selection as the user makes it.
    void SelectCell(platform::CellRef cell) {
        selected_cells.push_back(cell);
        TellSelectionChanged();
    }
    std::vector<platform::CellRef> SelectedCells() const override { return selected_cells; }
    void ClearSelection() override {
        selected_rows.clear();
        selected_cells.clear();
        ++selection_clears;
        TellSelectionChanged();
    }
    void SelectRow(int row) override {
        selected_rows.clear();
        selected_cells.clear();
        for (int column = 0; column < platform::kColumnCount; ++column) {
            selected_cells.push_back({row, column});
        }
        TellSelectionChanged();
    }
    void EditFileName(int row) override { edited_rows.push_back(row); }
    void SetEditHandler(platform::GridEditHandler* handler) override { edit_handler = handler; }
    void SetSelectionListener(platform::GridSelectionListener* listener) override {
        selection_listener = listener;
    }
    void TellSelectionChanged() {
        if (selection_listener != nullptr) selection_listener->OnSelectionChanged();
    }
    void ScrollRows(int action) override { scroll_actions.push_back(action); }
    void SetInputListener(platform::GridInputListener* listener) override {
        input_listener = listener;
    }

    std::string caption = "unset";
    int display_option_resets = 0;
    std::map<int, ColumnSetup> columns;
    std::set<int> columns_fitting_rows;
    std::vector<int> widths = std::vector<int>(platform::kColumnCount, 50);
    platform::GridColumnListener* column_listener = nullptr;
    std::pair<platform::Rgb, platform::Rgb> appearance;
    std::vector<std::pair<int, Group>> groups;
    bool visible = true;
    int brought_to_front = 0;
    std::set<int> selected_rows;
    std::vector<platform::CellRef> selected_cells;
    int selection_clears = 0;
    platform::GridEditHandler* edit_handler = nullptr;
    platform::GridSelectionListener* selection_listener = nullptr;
    std::vector<int> scroll_actions;
    // The rows whose file name editor was opened.
    std::vector<int> edited_rows;
    platform::GridInputListener* input_listener = nullptr;

private:
    const list::DownloadQueue& queue_;
};

} // namespace tarnwick::fakes
