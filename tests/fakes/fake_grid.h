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
        int width_twips = 0;
        bool editable = false;
        bool operator==(const ColumnSetup&) const = default;
    };
    using Group = std::pair<platform::Rgb, std::optional<platform::Rgb>>;

    explicit FakeGrid(const list::DownloadQueue& queue) : queue_(queue) {}

    void SetCaption(const std::string& caption) override { this->caption = caption; }
    void ResetDisplayOptions() override { ++display_option_resets; }
    void SetColumn(int column, const std::string& caption, int width_twips,
                   bool editable) override {
        columns[column] = {caption, width_twips, editable};
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
    }
    std::vector<platform::CellRef> SelectedCells() const override { return selected_cells; }
    void ClearSelection() override {
        selected_rows.clear();
        selected_cells.clear();
        ++selection_clears;
    }
    void SetEditHandler(platform::GridEditHandler* handler) override { edit_handler = handler; }
    void ScrollRows(int action) override { scroll_actions.push_back(action); }
    bool HasFocus() const override { return focused; }

    std::string caption = "unset";
    int display_option_resets = 0;
    std::map<int, ColumnSetup> columns;
    std::pair<platform::Rgb, platform::Rgb> appearance;
    std::vector<std::pair<int, Group>> groups;
    bool visible = true;
    int brought_to_front = 0;
    std::set<int> selected_rows;
    std::vector<platform::CellRef> selected_cells;
    int selection_clears = 0;
    platform::GridEditHandler* edit_handler = nullptr;
    std::vector<int> scroll_actions;
    bool focused = false;

private:
    const list::DownloadQueue& queue_;
};

} // namespace tarnwick::fakes
