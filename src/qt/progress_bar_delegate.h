// Paints the Status cell of a downloading item whose size is known as a
// progress bar, from the item's numbers, and leaves every other cell to the
// standard delegate.
#pragma once

#include <QStyledItemDelegate>

namespace tarnwick::qt {

class ProgressBarDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace tarnwick::qt
