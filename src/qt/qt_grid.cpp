#include "qt/qt_grid.h"

#include "qt/cell_delegate.h"
#include "qt/column_text_widths.h"
#include "qt/command_keys.h"
#include "qt/download_queue_model.h"
#include "qt/skin_palette.h"
#include "qt/text_conversion.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace tarnwick::qt {
namespace {

using platform::Rgb;

QColor ToQColor(Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

QString CssColour(Rgb rgb) {
    return QStringLiteral("rgb(%1,%2,%3)").arg(rgb.red).arg(rgb.green).arg(rgb.blue);
}

// Appearance groups: 0 row selectors, 1 column headers, 2 ordinary rows,
// 3 selected rows and cells, 4 the current cell's frame.
enum AppearanceGroup { kRowSelectors = 0, kHeaders, kRows, kSelection, kCurrentCell };

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kHeaderBackground{107, 116, 119};

// Rows are this high, or higher where the font needs it.
constexpr int kRowHeight = 20;
constexpr int kRowTextMargin = 4;
constexpr int kRowSelectorWidth = 10;
// The grid line at each cell's right edge.
constexpr int kGridLine = 1;
// A header section's padding and border, as the style sheet sets them.
constexpr int kHeaderFrame = 2 + 2 + 1;

// The table, telling when its font changes, so that the columns and rows
// follow, and handing on double clicks on its cells.
class GridView : public QTableView {
public:
    // Whether a double click on the cell at row, column was taken.
    using DoubleClick = std::function<bool(int, int)>;

    GridView(QWidget* parent, std::function<void()> on_font_change, DoubleClick on_double_click)
        : QTableView(parent),
          on_font_change_(std::move(on_font_change)),
          on_double_click_(std::move(on_double_click)) {}
    void StopTelling() {
        on_font_change_ = nullptr;
        on_double_click_ = nullptr;
    }

protected:
    void changeEvent(QEvent* event) override {
        QTableView::changeEvent(event);
        if (event->type() == QEvent::FontChange && on_font_change_) on_font_change_();
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        const QModelIndex cell = indexAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && cell.isValid() && on_double_click_ &&
            on_double_click_(cell.row(), cell.column())) {
            return;
        }
        QTableView::mouseDoubleClickEvent(event);
    }

private:
    std::function<void()> on_font_change_;
    DoubleClick on_double_click_;
};

// Tells of the releases of the mouse button over the column headers: a
// user's resize of a column ends with one.
class ReleaseFilter : public QObject {
public:
    explicit ReleaseFilter(std::function<void()> on_release) : on_release_(std::move(on_release)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) on_release_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> on_release_;
};

// The row selectors: as wide as they are set, whatever their sections hold,
// so that a change of the rows never has the header measure its sections.
class RowSelectorHeader : public QHeaderView {
public:
    explicit RowSelectorHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {}
    QSize sizeHint() const override { return {kRowSelectorWidth, 0}; }
};

} // namespace

QtGrid::QtGrid(list::DownloadQueue& queue, QWidget* parent)
    : view_(new GridView(
          parent, [this] { FitToFont(); },
          [this](int row, int column) {
              if (input_listener_ == nullptr) return false;
              input_listener_->OnDoubleClicked(row, column);
              return true;
          })),
      model_(new DownloadQueueModel(queue, view_)),
      delegate_(new CellDelegate(view_)) {
    view_->setVerticalHeader(new RowSelectorHeader(view_));
    view_->setModel(model_);
    view_->setItemDelegate(delegate_);
    // A click selects the whole row; the listener's keys, menu and double
    // clicks open the file name's editor.
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    view_->verticalHeader()->setFixedWidth(kRowSelectorWidth);
    view_->horizontalHeader()->setHighlightSections(false);
    view_->horizontalHeader()->setMinimumSectionSize(1);
    view_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    release_filter_ = std::make_unique<ReleaseFilter>([this] { OnHeaderReleased(); });
    view_->horizontalHeader()->viewport()->installEventFilter(release_filter_.get());
    connections_[0] =
        QObject::connect(view_->verticalHeader(), &QHeaderView::sectionClicked, view_,
                         [this](int row) { SetRowSelected(row, !IsRowSelected(row)); });
    connections_[1] =
        QObject::connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, view_,
                         [this] { TellSelectionChanged(); });
    connections_[2] =
        QObject::connect(view_, &QWidget::customContextMenuRequested, view_, [this](QPoint at) {
            if (keys_) keys_->PopupMenu(view_->viewport()->mapToGlobal(at));
        });
    connections_[3] =
        QObject::connect(view_->horizontalHeader(), &QHeaderView::sectionResized, view_,
                         [this](int column, int, int width) { OnSectionResized(column, width); });
}

// The view is its parent's to destroy, and may outlive the grid a little.
QtGrid::~QtGrid() {
    for (const QMetaObject::Connection& connection : connections_) {
        QObject::disconnect(connection);
    }
    static_cast<GridView*>(view_)->StopTelling();
    delete keys_;
}

void QtGrid::SetCaption(const std::string& caption) {
    view_->setAccessibleName(ToQString(caption));
}

void QtGrid::ResetDisplayOptions() {
    view_->setWordWrap(false);
    view_->setCornerButtonEnabled(false);
}

void QtGrid::SetColumn(int column, const std::string& caption, const platform::ColumnWidth& width,
                       bool editable) {
    model_->SetColumnCaption(column, ToQString(caption));
    model_->SetColumnEditable(column, editable);
    widths_.at(static_cast<size_t>(column)) = width;
    FitToFont();
}

void QtGrid::FitColumnToRows(int column) {
    auto& widths = row_widths_.at(static_cast<size_t>(column));
    widths =
        std::make_unique<ColumnTextWidths>(*model_, column, [this, column] { FitColumn(column); });
    widths->SetFont(view_->font());
    FitColumn(column);
}

void QtGrid::FitToFont() {
    const int row_height = std::max(kRowHeight, view_->fontMetrics().height() + kRowTextMargin);
    view_->verticalHeader()->setDefaultSectionSize(row_height);
    for (const auto& widths : row_widths_) {
        if (widths) widths->SetFont(view_->font());
    }
    for (int column = 0; column < platform::kColumnCount; ++column) FitColumn(column);
    if (columns_fitted_) columns_fitted_();
}

void QtGrid::FitColumn(int column) {
    QHeaderView* header = view_->horizontalHeader();
    const auto at = static_cast<size_t>(column);
    const bool was_fitting = std::exchange(fitting_, true);
    if (widths_[at].takes_the_rest) {
        header->setSectionResizeMode(column, QHeaderView::Stretch);
    } else {
        header->setSectionResizeMode(column, QHeaderView::Interactive);
        int width = FittingWidth(column);
        if (row_widths_[at]) {
            // A whole pixel more than the text, as in FittingWidth.
            const int rows = CellDelegate::CellWidthFor(row_widths_[at]->Widest() + 1) + kGridLine;
            width = std::max(width, rows);
        }
        view_->setColumnWidth(column, user_widths_[at] > 0 ? user_widths_[at] : width);
    }
    fitting_ = was_fitting;
}

std::vector<int> QtGrid::ColumnWidths() const {
    std::vector<int> widths;
    for (int column = 0; column < platform::kColumnCount; ++column) {
        widths.push_back(view_->horizontalHeader()->sectionSize(column));
    }
    return widths;
}

void QtGrid::SetColumnWidths(const std::vector<int>& widths) {
    for (size_t column = 0; column < user_widths_.size() && column < widths.size(); ++column) {
        user_widths_[column] = std::max(widths[column], 0);
        FitColumn(static_cast<int>(column));
    }
}

void QtGrid::SetColumnListener(platform::GridColumnListener* listener) {
    column_listener_ = listener;
}

void QtGrid::OnSectionResized(int column, int width) {
    // The addresses' column only follows the others.
    if (fitting_ || widths_.at(static_cast<size_t>(column)).takes_the_rest) return;
    user_widths_[static_cast<size_t>(column)] = width;
    resized_by_user_ = true;
}

void QtGrid::OnHeaderReleased() {
    if (!std::exchange(resized_by_user_, false)) return;
    if (column_listener_ != nullptr) column_listener_->OnColumnsResized();
}

int QtGrid::LeastWidth() const {
    // The frame, the row selectors and a vertical scroll bar, which shows
    // as soon as the rows outgrow the grid.
    int width = 2 * view_->frameWidth() + kRowSelectorWidth +
                view_->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < platform::kColumnCount; ++column) {
        width += widths_[static_cast<size_t>(column)].takes_the_rest ? CaptionWidth(column)
                                                                     : FittingWidth(column);
    }
    return width;
}

// The header's caption whole, with the section's padding and border.
int QtGrid::CaptionWidth(int column) const {
    const QFontMetricsF header(view_->horizontalHeader()->font());
    const qreal caption = header.horizontalAdvance(
        model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    return static_cast<int>(std::ceil(caption)) + 1 + kHeaderFrame;
}

// Wide enough for the caption and for each text the column must show whole.
int QtGrid::FittingWidth(int column) const {
    // Texts are laid out in fractions of a pixel: a whole pixel more than
    // their width always holds them.
    const QFontMetricsF cells(view_->font());
    qreal widest = 0;
    for (const std::string& text : widths_[static_cast<size_t>(column)].fits) {
        widest = std::max(widest, cells.horizontalAdvance(ToQString(text)));
    }
    const int text_width = static_cast<int>(std::ceil(widest)) + 1;
    return std::max(CellDelegate::CellWidthFor(text_width) + kGridLine, CaptionWidth(column));
}

void QtGrid::SetAppearance(Rgb background, Rgb second) {
    background_ = background;
    second_ = second;
    ApplyColours();
}

void QtGrid::SetAppearanceGroup(int group, Rgb background, std::optional<Rgb> text) {
    group_background_.at(static_cast<size_t>(group)) = background;
    group_text_.at(static_cast<size_t>(group)) = text;
    ApplyColours();
}

Rgb QtGrid::GroupBackground(int group, Rgb fallback) const {
    return group_background_[static_cast<size_t>(group)].value_or(fallback);
}

Rgb QtGrid::GroupText(int group, Rgb fallback) const {
    return group_text_[static_cast<size_t>(group)].value_or(fallback);
}

// The window's palette from the grid's colours; the grid's own has its rows'.
void QtGrid::ApplyPalettes() {
    const Rgb header_text = GroupText(kHeaders, kWhite);
    const QPalette palette =
        SkinPalette({.background = ToQColor(background_),
                     .text = ToQColor(header_text),
                     .button = ToQColor(GroupBackground(kHeaders, kHeaderBackground)),
                     .button_text = ToQColor(header_text),
                     .highlight = ToQColor(second_),
                     .highlighted_text = ToQColor(kWhite)});
    view_->window()->setPalette(palette);
    // The file name's editor looks like its row.
    QPalette rows = palette;
    rows.setColor(QPalette::Base, ToQColor(GroupBackground(kRows, kWhite)));
    rows.setColor(QPalette::Text, ToQColor(GroupText(kRows, kBlack)));
    view_->setPalette(rows);
}

void QtGrid::ApplyColours() {
    const auto background = [this](int group, Rgb fallback) {
        return GroupBackground(group, fallback);
    };
    const auto text = [this](int group, Rgb fallback) { return GroupText(group, fallback); };
    const Rgb black = kBlack;
    const Rgb white = kWhite;
    const Rgb rows = background(kRows, white);
    const Rgb selection = background(kSelection, {57, 69, 73});
    const Rgb selection_text = text(kSelection, white);
    model_->SetRowColours(ToQColor(rows), ToQColor(text(kRows, black)), ToQColor(selection),
                          ToQColor(selection_text));
    delegate_->SetSelectionColours(ToQColor(selection), ToQColor(selection_text));
    delegate_->SetCurrentCellFrame(ToQColor(background(kCurrentCell, {255, 199, 0})));
    ApplyPalettes();
    view_->setStyleSheet(
        QStringLiteral("QTableView { background-color: %1; gridline-color: %2; "
                       "selection-background-color: %3; selection-color: %4; "
                       "border: 1px solid %2; }"
                       // The keyboard's focus in the grid, in the current cell's colour.
                       "QTableView:focus { border: 1px solid %9; }"
                       "QHeaderView::section:horizontal { background-color: %5; color: %6; "
                       "border: 0px; border-right: 1px solid %2; padding: 2px; }"
                       "QHeaderView::section:vertical { background-color: %7; color: %8; "
                       "border: 0px; border-bottom: 1px solid %2; }"
                       // Flat scroll bars: cheap to repaint as the rows change.
                       "QScrollBar { background-color: %1; border: 0px; }"
                       "QScrollBar:vertical { width: 14px; }"
                       "QScrollBar:horizontal { height: 14px; }"
                       "QScrollBar::handle { background-color: %2; border: 1px solid %1; }"
                       "QScrollBar::handle:vertical { min-height: 20px; }"
                       "QScrollBar::handle:horizontal { min-width: 20px; }"
                       "QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; }"
                       "QScrollBar::add-page, QScrollBar::sub-page { background: none; }")
            .arg(CssColour(background_), CssColour(second_), CssColour(selection),
                 CssColour(selection_text), CssColour(background(kHeaders, kHeaderBackground)),
                 CssColour(text(kHeaders, white)),
                 CssColour(background(kRowSelectors, {156, 184, 99})),
                 CssColour(text(kRowSelectors, black)),
                 CssColour(background(kCurrentCell, {255, 199, 0}))));
}

void QtGrid::SetVisible(bool visible) { view_->setVisible(visible); }

void QtGrid::BringToFront() { view_->raise(); }

int QtGrid::RowCount() const { return model_->rowCount(); }

bool QtGrid::IsRowSelected(int row) const { return model_->IsRowSelected(row); }

void QtGrid::SetRowSelected(int row, bool selected) {
    model_->SetRowSelected(row, selected);
    TellSelectionChanged();
}

void QtGrid::SelectAllRows() {
    model_->SelectAllRows();
    TellSelectionChanged();
}

std::vector<platform::CellRef> QtGrid::SelectedCells() const {
    std::vector<platform::CellRef> cells;
    for (const QModelIndex& index : view_->selectionModel()->selectedIndexes()) {
        cells.push_back({index.row(), index.column()});
    }
    return cells;
}

void QtGrid::ClearSelection() {
    view_->selectionModel()->clearSelection();
    model_->ClearRowSelection();
    TellSelectionChanged();
}

void QtGrid::SelectRow(int row) {
    if (row < 0 || row >= model_->rowCount()) return;
    model_->ClearRowSelection();
    const QModelIndex cell = model_->index(row, std::max(view_->currentIndex().column(), 0));
    view_->selectionModel()->setCurrentIndex(
        cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_->scrollTo(cell);
    TellSelectionChanged();
}

void QtGrid::EditFileName(int row) {
    const QModelIndex cell = model_->index(row, platform::kColumnFileName);
    if (!cell.isValid()) return;
    view_->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    view_->scrollTo(cell);
    view_->edit(cell);
}

void QtGrid::SetEditHandler(platform::GridEditHandler* handler) { model_->SetEditHandler(handler); }

void QtGrid::SetSelectionListener(platform::GridSelectionListener* listener) {
    selection_listener_ = listener;
}

void QtGrid::SetInputListener(platform::GridInputListener* listener) {
    input_listener_ = listener;
    delete keys_;
    if (listener != nullptr) keys_ = new CommandKeys(view_, *listener, Qt::WidgetShortcut);
}

void QtGrid::TellSelectionChanged() {
    if (selection_listener_ != nullptr) selection_listener_->OnSelectionChanged();
}

void QtGrid::ScrollRows(int action) {
    QScrollBar* bar = view_->verticalScrollBar();
    bar->setValue(bar->value() + (action == 0 ? -1 : 1));
}

} // namespace tarnwick::qt
