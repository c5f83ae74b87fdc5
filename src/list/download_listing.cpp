#include "list/download_listing.h"

#include "common/app_info.h"
#include "list/status_texts.h"
#include "platform/platform_error.h"
#include "resolve/site_index.h"

#include <new>

namespace tarnwick::list {
namespace {

constexpr int64_t kObjectNotSet = 91;
constexpr int64_t kGridObjectGone = 0xA0040202;
constexpr int64_t kOutOfMemory = 7;
constexpr int64_t kGenericFailure = 5;

} // namespace

void DownloadListing::FillDownloadList() {
    if (state_.FillingList) return;
    if (list_.IsListEmpty()) {
        try {
            grid_.Bind(nullptr);
        } catch (const platform::PlatformError& e) {
            ReportFillError(e.Number(), e.what());
        }
        state_.CurrentRow.reset();
        return;
    }
    state_.FillingList = true;
    try {
        auto view = std::make_shared<DownloadView>();
        FillRows(*view);
        view_ = std::move(view);
        try {
            presentation_.FormatDownloadGrid(false, view_);
        } catch (...) {
            // A failed re-bind after a complete fill leaves the previous picture.
        }
        FollowRunItem();
    } catch (const platform::PlatformError& e) {
        ReportFillError(e.Number(), e.what());
    } catch (const std::bad_alloc& e) {
        ReportFillError(kOutOfMemory, e.what());
    } catch (const std::exception& e) {
        ReportFillError(kGenericFailure, e.what());
    }
    state_.FillingList = false;
}

void DownloadListing::FillRows(DownloadView& view) {
    // The positions to visit are fixed when the fill begins; the list may
    // shrink under the fill while events are processed.
    const int last = list_.LastPosition();
    view.Reserve(last + 1);
    for (int position = 0; position <= last; ++position) {
        for (int i = 0; i < kRoundsPerHalfRow; ++i) Yield();
        if (!list_.HasPosition(position)) break;
        const ListedItem& item = list_.At(position);
        DownloadViewRow& row = view.AppendRow();
        row.ID = item.ID;
        row.Video_URL = item.Video_URL;
        row.FileName = item.FileName;
        row.Status = item.Status;
        row.FileSize = item.FileSize;
        for (int i = 0; i < kRoundsPerHalfRow; ++i) Yield();
    }
    if (view.RowCount() > 0) view.SetCurrentRow(0);
}

// During a run the rows change with every rebuild: find the run's item and
// its row again, so that progress keeps reaching the right row.
void DownloadListing::FollowRunItem() {
    if (!state_.Downloading || state_.CurrentItemKey == 0) return;
    const int position = list_.PositionOfKey(state_.CurrentItemKey);
    if (position >= 0) state_.CurrentIndex = static_cast<int16_t>(position);
    presentation_.LocateCurrentRow();
    if (position < 0) state_.CurrentRow.reset();
}

void DownloadListing::Yield() { pump_.ProcessEvents(); }

void DownloadListing::ReportFillError(int64_t number, const std::string& description) {
    if (number == kObjectNotSet || number == kGridObjectGone) return;
    box_.Show("An error occured while filling the Download list\r" + std::to_string(number) + ":" +
                  description,
              kAppTitle, platform::MessageIcon::Critical, platform::MessageButtons::Ok);
}

void DownloadListing::AddVideoURL(const std::string& address) {
    if (resolve::GetSiteIndex(address) == resolve::kSiteNone) {
        list_.AddItem(address, status::kErrorFileName, status::kLinkNotSupported,
                      status::kUnknownSize);
    } else {
        list_.AddItem(address, status::kAutoDetect, status::kWaiting, status::kUnknownSize);
    }
    FillDownloadList();
    if (state_.Downloading) presentation_.LocateCurrentRow();
}

} // namespace tarnwick::list
