#include "qt/progress_bar_delegate.h"

#include "list/download_view.h"
#include "qt/download_table_model.h"
#include "qt/progress_bar_painter.h"
#include "qt/text_conversion.h"
#include "shell/progress_bar.h"

#include <QGuiApplication>
#include <QPalette>

namespace tarnwick::platform::qt {

void ProgressBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    if (index.column() != list::kColumnStatus) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const auto value = shell::ProgressValueOf(ToStdString(index.data(Qt::DisplayRole).toString()));
    if (!value) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const bool selected = (option.state & QStyle::State_Selected) ||
                          index.data(DownloadTableModel::kRowSelectedRole).toBool();
    // The desktop's selection colours; a selected cell shows its own.
    QColor bar = QGuiApplication::palette().color(QPalette::Highlight);
    QColor fill = QGuiApplication::palette().color(QPalette::HighlightedText);
    if (selected) {
        bar = index.data(DownloadTableModel::kRowSelectedRole).toBool()
                  ? index.data(Qt::BackgroundRole).value<QColor>()
                  : option.palette.color(QPalette::Highlight);
        fill = index.data(DownloadTableModel::kRowSelectedRole).toBool()
                   ? index.data(Qt::ForegroundRole).value<QColor>()
                   : option.palette.color(QPalette::HighlightedText);
    }
    const QRect& cell = option.rect;
    const auto layout =
        shell::LayoutProgressBar(*value, cell.left(), cell.left() + cell.width(), selected);
    PaintProgressBar(*painter, cell, layout, bar, fill);
}

} // namespace tarnwick::platform::qt
