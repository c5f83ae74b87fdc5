// Paints a Status cell whose text reads as a number as a progress bar and
// leaves every other cell to the standard delegate.
#pragma once

#include <QStyledItemDelegate>

namespace tarnwick::platform::qt {

class ProgressBarDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace tarnwick::platform::qt
