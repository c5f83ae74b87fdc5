// The widths of one column's texts, row by row, in a font, and the widest of
// them: kept as the model inserts, removes, moves and changes its rows, so
// that the column can fit its longest text without measuring every row
// again at each change.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QObject>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class QAbstractItemModel;

namespace tarnwick::qt {

class ColumnTextWidths : public QObject {
    Q_OBJECT

public:
    // Told each time the widest text changes.
    ColumnTextWidths(QAbstractItemModel& model, int column, std::function<void()> on_widest);

    // Measures every row again in `font`.
    void SetFont(const QFont& font);
    // In whole pixels; 0 without rows.
    int Widest() const { return counts_.empty() ? 0 : counts_.rbegin()->first; }

private:
    void Remeasure();
    void Insert(int first, int last);
    void Remove(int first, int last);
    void Move(int first, int last, int destination);
    void Change(int first, int last);
    uint16_t Measure(int row) const;
    void Count(uint16_t width, int change);
    void TellIfWidestChanged(int before);

    QAbstractItemModel& model_;
    int column_;
    std::function<void()> on_widest_;
    QFontMetricsF metrics_{QFont()};
    std::vector<uint16_t> widths_;
    // How many rows are of each width.
    std::map<int, int> counts_;
};

} // namespace tarnwick::qt
