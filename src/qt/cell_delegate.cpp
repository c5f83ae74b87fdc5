#include "qt/cell_delegate.h"

#include "platform/grid.h"
#include "qt/download_queue_model.h"
#include "qt/progress_bar_painter.h"
#include "resolve/typed_name.h"
#include "shell/progress_bar.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>

#include <utility>

namespace tarnwick::qt {
namespace {

// Texts kept laid out: many times what a grid shows at once.
constexpr qsizetype kLaidOutBound = 2048;
// Room between the cell's edges and its text.
constexpr int kTextMargin = 3;

// The file name's editor: the view selects the whole name as it opens it;
// shown, the editor selects the name up to its extension instead, so that
// typing replaces the name and keeps the file's type.
class FileNameEditor : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void showEvent(QShowEvent* event) override {
        QLineEdit::showEvent(event);
        if (std::exchange(shown_, true)) return;
        const std::string name = text().toStdString();
        const size_t stem = name.size() - resolve::ExtensionOf(name).size();
        setSelection(0, static_cast<int>(QString::fromStdString(name.substr(0, stem)).size()));
    }

private:
    bool shown_ = false;
};

} // namespace

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    if (index.column() != platform::kColumnFileName) {
        return QStyledItemDelegate::createEditor(parent, option, index);
    }
    auto* editor = new FileNameEditor(parent);
    editor->setFrame(false);
    return editor;
}

void CellDelegate::SetSelectionColours(QColor background, QColor text) {
    selected_background_ = background;
    selected_text_ = text;
}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    if (index.column() == platform::kColumnStatus) {
        const QVariant percent = index.data(DownloadQueueModel::kProgressRole);
        if (percent.isValid()) {
            PaintProgress(*painter, option, index, percent.toInt());
            return;
        }
    }
    PaintText(*painter, option, index);
}

void CellDelegate::PaintProgress(QPainter& painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index, int percent) const {
    const bool row_selected = index.data(DownloadQueueModel::kRowSelectedRole).toBool();
    const bool selected = (option.state & QStyle::State_Selected) || row_selected;
    // The desktop's selection colours; a selected cell draws its bar in its
    // own, so that the bar still shows how far the download has come.
    QColor bar = QGuiApplication::palette().color(QPalette::Highlight);
    QColor fill = QGuiApplication::palette().color(QPalette::HighlightedText);
    if (selected) {
        bar = row_selected ? index.data(Qt::BackgroundRole).value<QColor>() : selected_background_;
        fill = row_selected ? index.data(Qt::ForegroundRole).value<QColor>() : selected_text_;
    }
    const QRect& cell = option.rect;
    const auto layout = shell::LayoutProgressBar(percent, cell.left(), cell.left() + cell.width());
    PaintProgressBar(painter, cell, layout, bar, fill);
}

void CellDelegate::PaintText(QPainter& painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QColor background =
        selected ? selected_background_ : index.data(Qt::BackgroundRole).value<QColor>();
    const QColor text = selected ? selected_text_ : index.data(Qt::ForegroundRole).value<QColor>();
    painter.fillRect(option.rect, background);
    const QRect area = option.rect.adjusted(kTextMargin, 0, -kTextMargin, 0);
    const QStaticText& laid_out = LaidOut(index.data(Qt::DisplayRole).toString(), index.column(),
                                          option.fontMetrics, option.rect.width());
    painter.setPen(text);
    const int top = area.top() + (area.height() - option.fontMetrics.height()) / 2;
    painter.drawStaticText(area.left(), top, laid_out);
    if (option.state & QStyle::State_HasFocus) {
        painter.setPen(frame_);
        painter.drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
}

int CellDelegate::CellWidthFor(int text_width) { return text_width + 2 * kTextMargin; }

QString CellDelegate::ShownText(const QString& text, int column, const QFontMetrics& metrics,
                                int cell_width) {
    const Qt::TextElideMode mode =
        column == platform::kColumnVideoUrl ? Qt::ElideMiddle : Qt::ElideRight;
    return metrics.elidedText(text, mode, cell_width - 2 * kTextMargin);
}

const QStaticText& CellDelegate::LaidOut(const QString& text, int column,
                                         const QFontMetrics& metrics, int cell_width) const {
    const bool middle = column == platform::kColumnVideoUrl;
    const QPair<QString, int> key(text, cell_width * 2 + (middle ? 1 : 0));
    const auto found = laid_out_.constFind(key);
    if (found != laid_out_.constEnd()) return *found;
    if (laid_out_.size() >= kLaidOutBound) laid_out_.clear();
    QStaticText laid(ShownText(text, column, metrics, cell_width));
    laid.setTextFormat(Qt::PlainText);
    laid.setPerformanceHint(QStaticText::AggressiveCaching);
    return *laid_out_.insert(key, laid);
}

} // namespace tarnwick::qt
