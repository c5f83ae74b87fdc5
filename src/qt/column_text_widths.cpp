#include "qt/column_text_widths.h"

#include <QAbstractItemModel>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnwick::qt {

ColumnTextWidths::ColumnTextWidths(QAbstractItemModel& model, int column,
                                   std::function<void()> on_widest)
    : model_(model), column_(column), on_widest_(std::move(on_widest)) {
    using Model = QAbstractItemModel;
    connect(&model_, &Model::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { Insert(first, last); });
    connect(&model_, &Model::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { Remove(first, last); });
    connect(&model_, &Model::rowsMoved, this,
            [this](const QModelIndex&, int first, int last, const QModelIndex&, int destination) {
                Move(first, last, destination);
            });
    connect(&model_, &Model::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                const bool texts = roles.isEmpty() || roles.contains(Qt::DisplayRole);
                if (texts && from.column() <= column_ && column_ <= to.column()) {
                    Change(from.row(), to.row());
                }
            });
    connect(&model_, &Model::modelReset, this, [this] { Remeasure(); });
    connect(&model_, &Model::layoutChanged, this, [this] { Remeasure(); });
    Remeasure();
}

void ColumnTextWidths::SetFont(const QFont& font) {
    metrics_ = QFontMetricsF(font);
    Remeasure();
}

void ColumnTextWidths::Remeasure() {
    const int before = Widest();
    widths_.clear();
    counts_.clear();
    const int rows = model_.rowCount();
    widths_.reserve(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        widths_.push_back(Measure(row));
        Count(widths_.back(), 1);
    }
    TellIfWidestChanged(before);
}

void ColumnTextWidths::Insert(int first, int last) {
    const int before = Widest();
    std::vector<uint16_t> added;
    for (int row = first; row <= last; ++row) {
        added.push_back(Measure(row));
        Count(added.back(), 1);
    }
    widths_.insert(widths_.begin() + first, added.begin(), added.end());
    TellIfWidestChanged(before);
}

void ColumnTextWidths::Remove(int first, int last) {
    const int before = Widest();
    for (int row = first; row <= last; ++row) Count(widths_[static_cast<size_t>(row)], -1);
    widths_.erase(widths_.begin() + first, widths_.begin() + last + 1);
    TellIfWidestChanged(before);
}

// `destination` counts the rows before the move.
void ColumnTextWidths::Move(int first, int last, int destination) {
    const std::vector<uint16_t> moved(widths_.begin() + first, widths_.begin() + last + 1);
    widths_.erase(widths_.begin() + first, widths_.begin() + last + 1);
    const int at = destination > first ? destination - (last - first + 1) : destination;
    widths_.insert(widths_.begin() + at, moved.begin(), moved.end());
}

void ColumnTextWidths::Change(int first, int last) {
    const int before = Widest();
    last = std::min(last, static_cast<int>(widths_.size()) - 1);
    for (int row = first; row <= last; ++row) {
        uint16_t& width = widths_[static_cast<size_t>(row)];
        Count(width, -1);
        width = Measure(row);
        Count(width, 1);
    }
    TellIfWidestChanged(before);
}

uint16_t ColumnTextWidths::Measure(int row) const {
    const QString text = model_.index(row, column_).data(Qt::DisplayRole).toString();
    const double width = std::ceil(metrics_.horizontalAdvance(text));
    return static_cast<uint16_t>(std::min<double>(width, std::numeric_limits<uint16_t>::max()));
}

void ColumnTextWidths::Count(uint16_t width, int change) {
    const auto found = counts_.try_emplace(width, 0).first;
    found->second += change;
    if (found->second == 0) counts_.erase(found);
}

void ColumnTextWidths::TellIfWidestChanged(int before) {
    if (Widest() != before && on_widest_) on_widest_();
}

} // namespace tarnwick::qt
