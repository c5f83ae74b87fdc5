#include "qt/progress_bar_painter.h"

#include <QPainter>

namespace tarnwick::qt {

void PaintProgressBar(QPainter& painter, const QRect& cell, const shell::ProgressBarLayout& layout,
                      const QColor& bar, const QColor& fill) {
    painter.save();
    painter.fillRect(cell, fill);
    const QRect bar_rect(layout.bar_left, cell.top(), layout.bar_right - layout.bar_left,
                         cell.height());
    const QRect rest_rect(layout.bar_right, cell.top(), cell.right() + 1 - layout.bar_right,
                          cell.height());
    const QString text = QString::fromStdString(layout.text);
    if (!bar_rect.isEmpty()) {
        painter.fillRect(bar_rect, bar);
        painter.setClipRect(bar_rect);
        painter.setPen(fill);
        painter.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, text);
    }
    if (!rest_rect.isEmpty()) {
        painter.setClipRect(rest_rect);
        painter.setPen(bar);
        painter.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, text);
    }
    painter.restore();
}

} // namespace tarnwick::qt
