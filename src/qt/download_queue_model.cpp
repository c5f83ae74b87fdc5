#include "qt/download_queue_model.h"

#include "list/item_texts.h"
#include "list/reason_texts.h"
#include "qt/text_conversion.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace tarnwick::qt {
namespace {

// The grid's columns that show each part of an item.
struct FieldColumn {
    unsigned field;
    int column;
};
constexpr FieldColumn kFieldColumns[] = {
    {list::kFieldAddress, platform::kColumnVideoUrl},
    {list::kFieldName, platform::kColumnFileName},
    {list::kFieldStatus, platform::kColumnStatus},
    {list::kFieldFailure, platform::kColumnStatus},
    {list::kFieldSize, platform::kColumnFileSize},
};

} // namespace

DownloadQueueModel::DownloadQueueModel(list::DownloadQueue& queue, QObject* parent)
    : QAbstractTableModel(parent), queue_(queue) {
    queue_.AddObserver(this);
    progress_beat_.setSingleShot(true);
    progress_beat_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&progress_beat_, &QTimer::timeout, this, [this] { TellWaitingProgress(); });
}

DownloadQueueModel::~DownloadQueueModel() { queue_.RemoveObserver(this); }

void DownloadQueueModel::SetColumnCaption(int column, const QString& caption) {
    captions_.at(static_cast<size_t>(column)) = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void DownloadQueueModel::SetColumnEditable(int column, bool editable) {
    editable_.at(static_cast<size_t>(column)) = editable;
}

void DownloadQueueModel::SetRowColours(QColor background, QColor text, QColor selected_background,
                                       QColor selected_text) {
    row_background_ = background;
    row_text_ = text;
    selected_background_ = selected_background;
    selected_text_ = selected_text;
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole, Qt::ForegroundRole});
    }
}

bool DownloadQueueModel::IsRowSelected(int row) const {
    return row >= 0 && row < queue_.Count() && selected_rows_.count(queue_.At(row).key) > 0;
}

void DownloadQueueModel::SetRowSelected(int row, bool selected) {
    if (row < 0 || row >= queue_.Count()) return;
    const list::ItemKey key = queue_.At(row).key;
    if (selected) {
        selected_rows_.insert(key);
    } else {
        selected_rows_.erase(key);
    }
    TellRowsSelectedChanged(row, row);
}

void DownloadQueueModel::SelectAllRows() {
    const int rows = queue_.Count();
    if (rows == 0) return;
    selected_rows_.reserve(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) selected_rows_.insert(queue_.At(row).key);
    TellRowsSelectedChanged(0, rows - 1);
}

void DownloadQueueModel::ClearRowSelection() {
    if (selected_rows_.empty()) return;
    int first = queue_.Count();
    int last = -1;
    for (const list::ItemKey key : selected_rows_) {
        const int row = queue_.PositionOf(key);
        if (row < 0) continue;
        first = std::min(first, row);
        last = std::max(last, row);
    }
    selected_rows_.clear();
    if (last >= 0) TellRowsSelectedChanged(first, last);
}

void DownloadQueueModel::TellRowsSelectedChanged(int first_row, int last_row) {
    emit dataChanged(index(first_row, 0), index(last_row, columnCount() - 1),
                     {Qt::BackgroundRole, Qt::ForegroundRole, kRowSelectedRole});
}

void DownloadQueueModel::OnInserting(int position) { beginInsertRows({}, position, position); }

void DownloadQueueModel::OnInserted(int position) {
    endInsertRows();
    RenumberFrom(position + 1);
}

void DownloadQueueModel::OnRemovingRange(int first, int last) {
    if (!selected_rows_.empty()) {
        for (int row = first; row <= last; ++row) selected_rows_.erase(queue_.At(row).key);
    }
    beginRemoveRows({}, first, last);
}

void DownloadQueueModel::OnRemovedRange(int first, int /*last*/) {
    endRemoveRows();
    RenumberFrom(first);
}

void DownloadQueueModel::OnBatchEnd() {
    in_batch_ = false;
    if (renumber_from_ >= 0) RenumberFrom(std::exchange(renumber_from_, -1));
    if (changed_rows_[1] >= 0) {
        TellChanged(changed_rows_[0], changed_rows_[1], changed_columns_[0], changed_columns_[1]);
        changed_rows_[0] = changed_rows_[1] = -1;
    }
}

void DownloadQueueModel::OnMoving(int from, int to) {
    // The destination counts rows before the move: one past `to` when moving down.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
}

void DownloadQueueModel::OnMoved(int from, int to) {
    endMoveRows();
    const int first = std::min(from, to);
    emit dataChanged(index(first, platform::kColumnId), index(first + 1, platform::kColumnId));
}

// The rows from `position` on show new IDs: their positions changed.
void DownloadQueueModel::RenumberFrom(int position) {
    if (in_batch_) {
        renumber_from_ = renumber_from_ < 0 ? position : std::min(renumber_from_, position);
        return;
    }
    if (position < rowCount()) {
        emit dataChanged(index(position, platform::kColumnId),
                         index(rowCount() - 1, platform::kColumnId), {Qt::DisplayRole});
    }
}

bool DownloadQueueModel::IsProgressOnly(int position, unsigned fields) const {
    return fields == list::kFieldStatus &&
           queue_.At(position).state == list::ItemState::kDownloading;
}

void DownloadQueueModel::TellProgress(list::ItemKey key) {
    const int row = queue_.PositionOf(key);
    if (row >= 0) TellChanged(row, row, platform::kColumnStatus, platform::kColumnStatus);
}

// Frames between the marks (a hover, a fade) leave progress waiting.
void DownloadQueueModel::OnSkinDrawn() {
    if (progress_beat_.isActive() && progress_beat_.remainingTime() <= kAfterBeat.count()) {
        TellWaitingProgress();
    }
}

void DownloadQueueModel::TellWaitingProgress() {
    progress_beat_.stop();
    if (progress_waiting_.empty()) return;
    for (const list::ItemKey key : std::exchange(progress_waiting_, {})) TellProgress(key);
}

void DownloadQueueModel::OnChanged(int position, unsigned fields) {
    if (!in_batch_ && IsProgressOnly(position, fields)) {
        progress_waiting_.insert(queue_.At(position).key);
        if (!progress_beat_.isActive()) {
            progress_beat_.start(platform::UntilNextScreenBeat(std::chrono::steady_clock::now()) +
                                 kAfterBeat);
        }
        return;
    }
    int first = platform::kColumnCount;
    int last = -1;
    for (const FieldColumn& entry : kFieldColumns) {
        if ((fields & entry.field) == 0) continue;
        first = std::min(first, entry.column);
        last = std::max(last, entry.column);
    }
    if (last < 0) return;
    if (!in_batch_) return TellChanged(position, position, first, last);
    if (changed_rows_[1] < 0) {
        changed_rows_[0] = changed_rows_[1] = position;
        changed_columns_[0] = first;
        changed_columns_[1] = last;
        return;
    }
    changed_rows_[0] = std::min(changed_rows_[0], position);
    changed_rows_[1] = std::max(changed_rows_[1], position);
    changed_columns_[0] = std::min(changed_columns_[0], first);
    changed_columns_[1] = std::max(changed_columns_[1], last);
}

void DownloadQueueModel::TellChanged(int first_row, int last_row, int first_column,
                                     int last_column) {
    // Rows removed later in the batch may have taken the last rows away.
    last_row = std::min(last_row, rowCount() - 1);
    if (first_row > last_row) return;
    emit dataChanged(index(first_row, first_column), index(last_row, last_column));
}

int DownloadQueueModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : queue_.Count();
}

int DownloadQueueModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : platform::kColumnCount;
}

bool DownloadQueueModel::HasCell(const QModelIndex& index) const {
    return index.isValid() && index.row() < queue_.Count() &&
           index.column() < platform::kColumnCount;
}

QVariant DownloadQueueModel::CellText(const list::DownloadItem& item, int column) const {
    switch (column) {
        case platform::kColumnVideoUrl: return ToQString(item.page_address);
        case platform::kColumnFileName: return ToQString(list::FileNameText(item));
        case platform::kColumnStatus: return ToQString(list::StatusText(item));
        case platform::kColumnFileSize: return ToQString(list::SizeText(item));
        default: return {};
    }
}

QVariant DownloadQueueModel::data(const QModelIndex& index, int role) const {
    if (!HasCell(index)) return {};
    const list::DownloadItem& item = queue_.At(index.row());
    const bool row_selected = selected_rows_.count(item.key) > 0;
    switch (role) {
        case Qt::ToolTipRole:
            if (index.column() == platform::kColumnStatus) {
                const std::string reason = list::ReasonText(item);
                if (!reason.empty()) return ToQString(reason);
            }
            [[fallthrough]];
        case Qt::DisplayRole:
        case Qt::EditRole:
            if (index.column() == platform::kColumnId) return QString::number(index.row() + 1);
            return CellText(item, index.column());
        case Qt::BackgroundRole: return row_selected ? selected_background_ : row_background_;
        case Qt::ForegroundRole: return row_selected ? selected_text_ : row_text_;
        case kRowSelectedRole: return row_selected;
        case kProgressRole: {
            if (index.column() != platform::kColumnStatus) return {};
            const std::optional<int32_t> percent = list::ProgressPercent(item);
            return percent ? QVariant(*percent) : QVariant();
        }
        default: return {};
    }
}

QVariant DownloadQueueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return QString();
    if (section < 0 || section >= platform::kColumnCount) return {};
    return captions_[static_cast<size_t>(section)];
}

Qt::ItemFlags DownloadQueueModel::flags(const QModelIndex& index) const {
    if (!HasCell(index)) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editable_[static_cast<size_t>(index.column())]) flags |= Qt::ItemIsEditable;
    return flags;
}

bool DownloadQueueModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !HasCell(index) || index.column() != platform::kColumnFileName ||
        !editable_[platform::kColumnFileName] || edit_handler_ == nullptr) {
        return false;
    }
    return edit_handler_->OnFileNameEdited(index.row(), ToStdString(value.toString()));
}

} // namespace tarnwick::qt
