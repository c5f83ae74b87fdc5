#include "qt/progress_bar_delegate.h"

#include "platform/grid.h"
#include "qt/download_queue_model.h"
#include "qt/progress_bar_painter.h"
#include "shell/progress_bar.h"

#include <QGuiApplication>
#include <QPalette>

namespace tarnwick::qt {

void ProgressBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const QVariant percent = index.data(DownloadQueueModel::kProgressRole);
    if (index.column() != platform::kColumnStatus || !percent.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const bool selected = (option.state & QStyle::State_Selected) ||
                          index.data(DownloadQueueModel::kRowSelectedRole).toBool();
    // The desktop's selection colours; a selected cell shows its own.
    QColor bar = QGuiApplication::palette().color(QPalette::Highlight);
    QColor fill = QGuiApplication::palette().color(QPalette::HighlightedText);
    if (selected) {
        bar = index.data(DownloadQueueModel::kRowSelectedRole).toBool()
                  ? index.data(Qt::BackgroundRole).value<QColor>()
                  : option.palette.color(QPalette::Highlight);
        fill = index.data(DownloadQueueModel::kRowSelectedRole).toBool()
                   ? index.data(Qt::ForegroundRole).value<QColor>()
                   : option.palette.color(QPalette::HighlightedText);
    }
    const QRect& cell = option.rect;
    const auto layout = shell::LayoutProgressBar(percent.toInt(), cell.left(),
                                                 cell.left() + cell.width(), selected);
    PaintProgressBar(*painter, cell, layout, bar, fill);
}

} // namespace tarnwick::qt
