#include "driver/transfer_event_handler.h"

#include "driver/current_item.h"
#include "list/status_texts.h"
#include "resolve/file_naming.h"

#include <string>

namespace tarnwick::driver {

void TransferEventHandler::DownloadComplete() {
    if (state_.Preparing) {
        if (list::ListedItem* item = CurrentItem(state_, list_)) {
            item->Status = status::kStartDownloading;
        }
    }
    state_.TransferResult = "1";
}

void TransferEventHandler::DownloadError(const std::string& sErrorDescription) {
    state_.TransferResult = sErrorDescription;
}

void TransferEventHandler::DownloadProgress(int64_t lProgress) {
    // Every step is guarded on its own: a failing one is skipped.
    if (state_.StopRequested) download_.CancelDownload();
    list::ListedItem* item = CurrentItem(state_, list_);
    if (item == nullptr) {
        // Only when the run's item is not where the last rebuild found it is
        // the list searched: a report comes with every chunk read.
        if (RunItemWasRemoved()) download_.CancelDownload();
        return;
    }
    try {
        if (state_.Preparing) {
            ShowPageFetchProgress(*item, lProgress);
        } else {
            ShowFileProgress(*item, lProgress);
        }
    } catch (const std::exception&) {
        // The status written so far stays.
    }
}

void TransferEventHandler::ShowPageFetchProgress(list::ListedItem& item, int64_t lProgress) {
    item.Status = lProgress <= 100 ? status::kPreparingPrefix + std::to_string(lProgress) +
                                         status::kPreparingSuffix
                                   : std::string(status::kPreparingLong);
    WriteStatusCell(item.Status);
    listing_.FillDownloadList();
}

void TransferEventHandler::ShowFileProgress(list::ListedItem& item, int64_t lProgress) {
    std::string progress =
        item.FileSize == "0"
            ? resolve::FormatFileSize(static_cast<float>(lProgress)) + status::kSoFar
            : std::to_string(lProgress);
    // Most reports of a large file repeat the text shown; the cell keeps it.
    if (progress == item.Status) return;
    item.Status = std::move(progress);
    WriteStatusCell(item.Status);
}

void TransferEventHandler::WriteStatusCell(const std::string& status) {
    if (!state_.CurrentRow) return;
    try {
        grid_.SetCellValue(*state_.CurrentRow, list::kColumnStatus, status);
    } catch (const std::exception&) {
        // A stale row: the next rebuild shows the status.
    }
}

bool TransferEventHandler::RunItemWasRemoved() const {
    return state_.Downloading && state_.CurrentItemKey != 0 &&
           list_.PositionOfKey(state_.CurrentItemKey) < 0;
}

} // namespace tarnwick::driver
