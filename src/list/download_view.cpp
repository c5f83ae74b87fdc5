#include "list/download_view.h"

#include <stdexcept>

namespace tarnwick::list {

const char* ColumnKey(int column) {
    static const char* const kKeys[kColumnCount] = {"ID", "Video_URL", "FileName", "Status",
                                                    "FileSize"};
    if (column < 0 || column >= kColumnCount) throw std::out_of_range("no such view column");
    return kKeys[column];
}

std::string DownloadView::CellText(int row, int column) const {
    const DownloadViewRow& r = Row(row);
    switch (column) {
        case kColumnID: return std::to_string(r.ID);
        case kColumnVideoUrl: return r.Video_URL;
        case kColumnFileName: return r.FileName;
        case kColumnStatus: return r.Status;
        case kColumnFileSize: return r.FileSize;
        default: throw std::out_of_range("no such view column");
    }
}

void DownloadView::SetCellText(int row, int column, const std::string& value) {
    DownloadViewRow& r = rows_.at(static_cast<size_t>(row));
    switch (column) {
        case kColumnID: r.ID = std::stoi(value); break;
        case kColumnVideoUrl: r.Video_URL = value; break;
        case kColumnFileName: r.FileName = value; break;
        case kColumnStatus: r.Status = value; break;
        case kColumnFileSize: r.FileSize = value; break;
        default: throw std::out_of_range("no such view column");
    }
}

} // namespace tarnwick::list
