// The download grid widget: a data-bound table with one band of rows, a
// header row, per-cell painting of progress, and row and cell selection.
// Rows are addressed by their 0-based index in the bound view; cells by row
// and column position (0 ID, 1 Video_URL, 2 FileName, 3 Status, 4 FileSize).
#pragma once

#include "list/download_view.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::platform {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct CellRef {
    int row = 0;
    int column = 0;
    bool operator==(const CellRef&) const = default;
};

// Editing notifications for the cells the user may edit.
class GridEditHandler {
public:
    virtual ~GridEditHandler() = default;
    // Before a user's edit is committed; answer true to cancel it (the cell
    // keeps its old value and no after-notification follows).
    virtual bool BeforeCellUpdate(CellRef cell, const std::string& new_value) = 0;
    // After an accepted edit has been committed.
    virtual void AfterCellUpdate(CellRef cell) = 0;
};

class Grid {
public:
    virtual ~Grid() = default;

    // Data binding: the grid shows one row per view row; none shows no rows.
    // The view stays shared with the grid until the next bind.
    virtual void Bind(std::shared_ptr<list::DownloadView> view) = 0;

    // Set-up
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void ResetDisplayOptions() = 0;
    virtual void SetColumn(int column, const std::string& caption, int width_twips,
                           bool editable) = 0;
    virtual void SetAppearance(Rgb background, Rgb second) = 0;
    // Appearance groups 0 to 4: background, and text colour where given.
    virtual void SetAppearanceGroup(int group, Rgb background, std::optional<Rgb> text) = 0;

    // Visibility and z-order
    virtual void SetVisible(bool visible) = 0;
    virtual void BringToFront() = 0;

    // Rows and cells
    virtual int RowCount() const = 0;
    virtual std::string CellText(int row, int column) const = 0;
    // Changes the cell's shown text without a rebuild.
    virtual void SetCellValue(int row, int column, const std::string& value) = 0;

    // Selection: row flags are kept apart from the selection of cells.
    virtual bool IsRowSelected(int row) const = 0;
    virtual void SetRowSelected(int row, bool selected) = 0;
    virtual bool IsCellSelected(CellRef cell) const = 0;
    virtual void SetCellSelected(CellRef cell, bool selected) = 0;
    virtual bool IsColumnSelected(int column) const = 0;
    // The selected cells in the grid's own enumeration order.
    virtual std::vector<CellRef> SelectedCells() const = 0;

    // Editing notifications; nullptr removes the handler.
    virtual void SetEditHandler(GridEditHandler* handler) = 0;

    // One row-scroll step: action 0 or 1, in opposite directions.
    virtual void ScrollRows(int action) = 0;
    // True while the grid has the input focus.
    virtual bool HasFocus() const = 0;
};

} // namespace tarnwick::platform
