// The download grid on a QTableView: a table model over the bound view, the
// progress-bar delegate, row flags apart from the cell selection.
#pragma once

#include "platform/grid.h"

#include <array>

class QTableView;
class QWidget;

namespace tarnwick::platform::qt {

class DownloadTableModel;

class QtGrid : public Grid {
public:
    explicit QtGrid(QWidget* parent);
    ~QtGrid() override;

    QTableView* Widget() const { return view_; }

    void Bind(std::shared_ptr<list::DownloadView> view) override;
    void SetCaption(const std::string& caption) override;
    void ResetDisplayOptions() override;
    void SetColumn(int column, const std::string& caption, int width_twips, bool editable) override;
    void SetAppearance(Rgb background, Rgb second) override;
    void SetAppearanceGroup(int group, Rgb background, std::optional<Rgb> text) override;
    void SetVisible(bool visible) override;
    void BringToFront() override;
    int RowCount() const override;
    std::string CellText(int row, int column) const override;
    void SetCellValue(int row, int column, const std::string& value) override;
    bool IsRowSelected(int row) const override;
    void SetRowSelected(int row, bool selected) override;
    bool IsCellSelected(CellRef cell) const override;
    void SetCellSelected(CellRef cell, bool selected) override;
    bool IsColumnSelected(int column) const override;
    std::vector<CellRef> SelectedCells() const override;
    void SetEditHandler(GridEditHandler* handler) override;
    void ScrollRows(int action) override;
    bool HasFocus() const override;

private:
    void ApplyColumnWidths();
    void ApplyColours();

    QTableView* view_;
    DownloadTableModel* model_;
    std::array<int, list::kColumnCount> width_twips_{};
    std::array<std::optional<Rgb>, 5> group_background_{};
    std::array<std::optional<Rgb>, 5> group_text_{};
    Rgb background_{233, 225, 225};
    Rgb second_{39, 104, 146};
};

} // namespace tarnwick::platform::qt
