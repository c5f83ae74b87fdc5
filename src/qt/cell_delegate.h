// Paints the grid's cells: the Status cell of a downloading item whose size
// is known as a progress bar, from the item's numbers; every other cell as
// its text, elided to the cell (addresses in the middle, the rest at the
// end), over the row's or the selection's colour,
// with the current cell framed. Laid-out texts are kept between paints, so
// that repainting rows that merely moved lays no text out again. The file
// name's editor opens with the name selected up to its extension.
#pragma once

#include <QColor>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace tarnwick::qt {

class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void SetSelectionColours(QColor background, QColor text);
    void SetCurrentCellFrame(QColor frame) { frame_ = frame; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

    // The width of a cell whose text is `text_width` wide, margins included.
    static int CellWidthFor(int text_width);
    // The text as a cell `cell_width` wide shows it in the column.
    static QString ShownText(const QString& text, int column, const QFontMetrics& metrics,
                             int cell_width);

private:
    void PaintProgress(QPainter& painter, const QStyleOptionViewItem& option,
                       const QModelIndex& index, int percent) const;
    void PaintText(QPainter& painter, const QStyleOptionViewItem& option,
                   const QModelIndex& index) const;
    const QStaticText& LaidOut(const QString& text, int column, const QFontMetrics& metrics,
                               int cell_width) const;

    QColor selected_background_{57, 69, 73};
    QColor selected_text_{Qt::white};
    QColor frame_{255, 199, 0};
    // By text, and by width and elision; let go of whole when it grows past
    // its bound.
    mutable QHash<QPair<QString, int>, QStaticText> laid_out_;
};

} // namespace tarnwick::qt
