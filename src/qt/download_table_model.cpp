#include "qt/download_table_model.h"

#include "qt/text_conversion.h"

#include <utility>

namespace tarnwick::platform::qt {

void DownloadTableModel::SetView(std::shared_ptr<list::DownloadView> view) {
    beginResetModel();
    view_ = std::move(view);
    row_selected_.assign(view_ ? static_cast<size_t>(view_->RowCount()) : 0, false);
    endResetModel();
}

void DownloadTableModel::SetColumnCaption(int column, const QString& caption) {
    captions_.at(static_cast<size_t>(column)) = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void DownloadTableModel::SetColumnEditable(int column, bool editable) {
    editable_.at(static_cast<size_t>(column)) = editable;
}

void DownloadTableModel::SetRowColours(QColor background, QColor text, QColor selected_background,
                                       QColor selected_text) {
    row_background_ = background;
    row_text_ = text;
    selected_background_ = selected_background;
    selected_text_ = selected_text;
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

bool DownloadTableModel::IsRowSelected(int row) const {
    return row >= 0 && static_cast<size_t>(row) < row_selected_.size() &&
           row_selected_[static_cast<size_t>(row)];
}

void DownloadTableModel::SetRowSelected(int row, bool selected) {
    if (row < 0 || static_cast<size_t>(row) >= row_selected_.size()) return;
    row_selected_[static_cast<size_t>(row)] = selected;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void DownloadTableModel::WriteCell(int row, int column, const std::string& value) {
    if (!view_) return;
    // Progress rewrites the same text many times over; only a change repaints.
    if (view_->CellText(row, column) == value) return;
    view_->SetCellText(row, column, value);
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell);
}

int DownloadTableModel::rowCount(const QModelIndex& parent) const {
    return (parent.isValid() || !view_) ? 0 : view_->RowCount();
}

int DownloadTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list::kColumnCount;
}

bool DownloadTableModel::HasCell(const QModelIndex& index) const {
    return index.isValid() && view_ && index.row() < view_->RowCount() &&
           index.column() < list::kColumnCount;
}

QVariant DownloadTableModel::data(const QModelIndex& index, int role) const {
    if (!HasCell(index)) return {};
    const bool row_selected = IsRowSelected(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
        case Qt::ToolTipRole: return ToQString(view_->CellText(index.row(), index.column()));
        case Qt::BackgroundRole: return row_selected ? selected_background_ : row_background_;
        case Qt::ForegroundRole: return row_selected ? selected_text_ : row_text_;
        case kRowSelectedRole: return row_selected;
        default: return {};
    }
}

QVariant DownloadTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return QString();
    if (section < 0 || section >= list::kColumnCount) return {};
    return captions_[static_cast<size_t>(section)];
}

Qt::ItemFlags DownloadTableModel::flags(const QModelIndex& index) const {
    if (!HasCell(index)) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editable_[static_cast<size_t>(index.column())]) flags |= Qt::ItemIsEditable;
    return flags;
}

bool DownloadTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !HasCell(index) ||
        !editable_[static_cast<size_t>(index.column())]) {
        return false;
    }
    const CellRef cell{index.row(), index.column()};
    const std::string new_value = ToStdString(value.toString());
    if (edit_handler_ != nullptr && edit_handler_->BeforeCellUpdate(cell, new_value)) return false;
    WriteCell(cell.row, cell.column, new_value);
    if (edit_handler_ != nullptr) edit_handler_->AfterCellUpdate(cell);
    return true;
}

} // namespace tarnwick::platform::qt
