// The table the download grid is bound to: one row per item, in list order,
// with the columns ID, Video_URL, FileName, Status and FileSize.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::list {

enum ViewColumn : int {
    kColumnID = 0,
    kColumnVideoUrl,
    kColumnFileName,
    kColumnStatus,
    kColumnFileSize,
    kColumnCount
};

// The column's key, which is its field name ("ID", "Video_URL", ...).
const char* ColumnKey(int column);

struct DownloadViewRow {
    int32_t ID = 0;
    std::string Video_URL;
    std::string FileName;
    std::string Status;
    std::string FileSize;
};

class DownloadView {
public:
    int RowCount() const { return static_cast<int>(rows_.size()); }
    void Reserve(int rows) { rows_.reserve(static_cast<size_t>(rows)); }
    DownloadViewRow& AppendRow() { return rows_.emplace_back(); }
    const DownloadViewRow& Row(int row) const { return rows_.at(static_cast<size_t>(row)); }

    // The display text of a cell; the ID column shows its number in decimal.
    std::string CellText(int row, int column) const;
    // Writes a text cell in place. The ID column takes a decimal number.
    void SetCellText(int row, int column, const std::string& value);

    int CurrentRow() const { return current_row_; }
    void SetCurrentRow(int row) { current_row_ = row; }

private:
    std::vector<DownloadViewRow> rows_;
    int current_row_ = -1;
};

} // namespace tarnwick::list
