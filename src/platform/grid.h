// The download grid widget: one row per listed item, in list order, with the
// columns ID, Video URL, File Name, Status and File Size; a header row; row
// and cell selection kept apart; and the in-place edit of a file name. Rows
// are addressed by their 0-based index, which is the item's position.
#pragma once

#include "platform/user_commands.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::platform {

enum GridColumn : int {
    kColumnId = 0,
    kColumnVideoUrl,
    kColumnFileName,
    kColumnStatus,
    kColumnFileSize,
    kColumnCount
};

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

// How wide a column is: wide enough for its caption and for each of `fits`
// in the grid's own font, or, with `takes_the_rest`, the width the other
// columns leave.
struct ColumnWidth {
    std::vector<std::string> fits;
    bool takes_the_rest = false;
    bool operator==(const ColumnWidth&) const = default;
};

// Hears of every change of the selected rows and cells, whoever made it.
class GridSelectionListener {
public:
    virtual ~GridSelectionListener() = default;
    virtual void OnSelectionChanged() = 0;
};

// The user's edit of a file name cell.
class GridEditHandler {
public:
    virtual ~GridEditHandler() = default;
    // False refuses the edit: the cell keeps its name. On true the handler
    // has named the row's item, and the cell shows the item's name.
    virtual bool OnFileNameEdited(int row, const std::string& text) = 0;
};

// Hears when the user has resized a column: once each time, when the
// pointer lets go of the column's edge.
class GridColumnListener {
public:
    virtual ~GridColumnListener() = default;
    virtual void OnColumnsResized() = 0;
};

// The grid's keys and context menu, which reach the commands while the grid
// has the focus, and its double clicks.
class GridInputListener : public UserCommands {
public:
    // A double click with the left button on the cell at `row`, `column`.
    virtual void OnDoubleClicked(int row, int column) = 0;
};

class Grid {
public:
    virtual ~Grid() = default;

    // Set-up
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void ResetDisplayOptions() = 0;
    virtual void SetColumn(int column, const std::string& caption, const ColumnWidth& width,
                           bool editable) = 0;
    // The column set up grows to the widest text its rows show, and back as
    // far as its set-up width when that text goes.
    virtual void FitColumnToRows(int column) = 0;
    // The columns' widths as they are now, in pixels, one a column.
    virtual std::vector<int> ColumnWidths() const = 0;
    // Widths the user chose, one a column: each column that does not take the
    // rest keeps its own from now on instead of fitting its texts.
    virtual void SetColumnWidths(const std::vector<int>& widths) = 0;
    // nullptr removes the listener.
    virtual void SetColumnListener(GridColumnListener* listener) = 0;
    virtual void SetAppearance(Rgb background, Rgb second) = 0;
    // Appearance groups 0 to 4: background, and text colour where given.
    virtual void SetAppearanceGroup(int group, Rgb background, std::optional<Rgb> text) = 0;

    // Visibility and z-order
    virtual void SetVisible(bool visible) = 0;
    virtual void BringToFront() = 0;

    // Selection: row flags are kept apart from the selection of cells.
    virtual int RowCount() const = 0;
    virtual bool IsRowSelected(int row) const = 0;
    virtual void SetRowSelected(int row, bool selected) = 0;
    // Sets every row's flag, told as one change of the selection.
    virtual void SelectAllRows() = 0;
    // The selected cells in the grid's own enumeration order.
    virtual std::vector<CellRef> SelectedCells() const = 0;
    // Forgets every selected row and cell.
    virtual void ClearSelection() = 0;
    // Selects every cell of the row and nothing else, makes the row current
    // and scrolls it into sight.
    virtual void SelectRow(int row) = 0;
    // Opens the editor of the row's file name cell.
    virtual void EditFileName(int row) = 0;

    // nullptr removes the handler.
    virtual void SetEditHandler(GridEditHandler* handler) = 0;
    // nullptr removes the listener.
    virtual void SetSelectionListener(GridSelectionListener* listener) = 0;
    // nullptr removes the listener: the keys and the menu do nothing then.
    virtual void SetInputListener(GridInputListener* listener) = 0;

    // One row-scroll step: action 0 or 1, in opposite directions.
    virtual void ScrollRows(int action) = 0;
};

} // namespace tarnwick::platform
