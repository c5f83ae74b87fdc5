// The download grid on a QTableView: the table model over the download queue,
// the progress-bar delegate, row flags apart from the cell selection. Columns
// are as wide as their texts in the grid's font (those that fit their rows,
// as their rows' widest text too), and the addresses take the rest, so that
// the grid scrolls sideways only when the user made the columns wider than
// it. The user may resize the columns; those keep their widths. Its colours make the palette of the
// window it lies in (see skin_palette.h).
#pragma once

#include "list/download_queue.h"
#include "platform/grid.h"

#include <QMetaObject>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class QTableView;
class QWidget;

namespace tarnwick::qt {

class CellDelegate;
class ColumnTextWidths;
class CommandKeys;
class DownloadQueueModel;

class QtGrid : public platform::Grid {
public:
    QtGrid(list::DownloadQueue& queue, QWidget* parent);
    ~QtGrid() override;

    QTableView* Widget() const { return view_; }
    // The least width at which every column shows its caption whole, and the
    // columns that fit their texts show them whole.
    int LeastWidth() const;
    // Told each time the columns were fitted anew (a column set up, the font
    // changed).
    void SetColumnsFittedListener(std::function<void()> listener) {
        columns_fitted_ = std::move(listener);
    }
    DownloadQueueModel* Model() const { return model_; }

    void SetCaption(const std::string& caption) override;
    void ResetDisplayOptions() override;
    void SetColumn(int column, const std::string& caption, const platform::ColumnWidth& width,
                   bool editable) override;
    void FitColumnToRows(int column) override;
    std::vector<int> ColumnWidths() const override;
    void SetColumnWidths(const std::vector<int>& widths) override;
    void SetColumnListener(platform::GridColumnListener* listener) override;
    void SetAppearance(platform::Rgb background, platform::Rgb second) override;
    void SetAppearanceGroup(int group, platform::Rgb background,
                            std::optional<platform::Rgb> text) override;
    void SetVisible(bool visible) override;
    void BringToFront() override;
    int RowCount() const override;
    bool IsRowSelected(int row) const override;
    void SetRowSelected(int row, bool selected) override;
    void SelectAllRows() override;
    std::vector<platform::CellRef> SelectedCells() const override;
    void ClearSelection() override;
    void SelectRow(int row) override;
    void EditFileName(int row) override;
    void SetEditHandler(platform::GridEditHandler* handler) override;
    void SetSelectionListener(platform::GridSelectionListener* listener) override;
    void ScrollRows(int action) override;
    void SetInputListener(platform::GridInputListener* listener) override;

private:
    void FitToFont();
    void FitColumn(int column);
    int FittingWidth(int column) const;
    int CaptionWidth(int column) const;
    platform::Rgb GroupBackground(int group, platform::Rgb fallback) const;
    platform::Rgb GroupText(int group, platform::Rgb fallback) const;
    void ApplyColours();
    void ApplyPalettes();
    void TellSelectionChanged();
    void OnSectionResized(int column, int width);
    void OnHeaderReleased();

    QTableView* view_;
    DownloadQueueModel* model_;
    CellDelegate* delegate_;
    // The view's calls into this grid, undone when the grid goes before it.
    std::array<QMetaObject::Connection, 4> connections_;
    std::array<platform::ColumnWidth, platform::kColumnCount> widths_{};
    // The widths of the texts in the columns that fit their rows.
    std::array<std::unique_ptr<ColumnTextWidths>, platform::kColumnCount> row_widths_;
    platform::GridSelectionListener* selection_listener_ = nullptr;
    platform::GridInputListener* input_listener_ = nullptr;
    platform::GridColumnListener* column_listener_ = nullptr;
    // The widths the user gave the columns; 0 where a column fits its texts.
    std::array<int, platform::kColumnCount> user_widths_{};
    // Whether the grid itself sizes columns now, and whether the user resized
    // one since the mouse button last let go of the headers.
    bool fitting_ = false;
    bool resized_by_user_ = false;
    // Tells the grid when the mouse button lets go of the headers.
    std::unique_ptr<QObject> release_filter_;
    // The listener's keys and menu, on the view.
    QPointer<CommandKeys> keys_;
    std::function<void()> columns_fitted_;
    std::array<std::optional<platform::Rgb>, 5> group_background_{};
    std::array<std::optional<platform::Rgb>, 5> group_text_{};
    platform::Rgb background_{43, 52, 55};
    platform::Rgb second_{39, 104, 146};
};

} // namespace tarnwick::qt
