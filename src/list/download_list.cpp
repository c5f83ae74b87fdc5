#include "list/download_list.h"

#include "list/status_texts.h"

#include <utility>

namespace tarnwick::list {

void DownloadList::AddItem(const std::string& video_url, const std::string& file_name,
                           const std::string& status, const std::string& file_size) {
    if (listed_urls_.count(video_url) > 0) return;
    if (Count() >= kMaxItems) return;
    DownloadItem item;
    item.ID = static_cast<int16_t>(items_.size() + 1);
    item.Video_URL = video_url;
    item.FileName = file_name;
    item.Status = status.empty() ? status::kWaiting : status;
    item.FileSize = file_size.empty() ? status::kUnknownSize : file_size;
    items_.push_back(std::move(item));
    listed_urls_.insert(video_url);
}

void DownloadList::UpdateItem(int16_t id, const std::string& video_url,
                              const std::string& file_name, const std::string& status,
                              const std::string& file_size) {
    const int position = id - 1;
    if (!HasPosition(position)) return;
    DownloadItem& item = At(position);
    if (!video_url.empty()) {
        listed_urls_.erase(listed_urls_.find(item.Video_URL));
        item.Video_URL = video_url;
        listed_urls_.insert(video_url);
    }
    if (!file_name.empty()) item.FileName = file_name;
    if (!status.empty()) item.Status = status;
    if (!file_size.empty()) item.FileSize = file_size;
}

void DownloadList::RemoveItem(int16_t id) {
    if (items_.empty()) return;
    std::vector<DownloadItem> copy = std::move(items_);
    items_.clear();
    listed_urls_.clear();
    for (const DownloadItem& item : copy) {
        if (item.ID != id) AddItem(item.Video_URL, item.FileName, item.Status, item.FileSize);
    }
}

void DownloadList::MoveItemUp(int16_t id) {
    for (size_t p = 1; p < items_.size(); ++p) {
        if (items_[p].ID == id) {
            SwapWithNext(p - 1);
            return;
        }
    }
}

void DownloadList::MoveItemDown(int16_t id) {
    for (size_t p = 0; p + 1 < items_.size(); ++p) {
        if (items_[p].ID == id) {
            SwapWithNext(p);
            return;
        }
    }
}

void DownloadList::SwapWithNext(size_t position) {
    std::swap(items_[position], items_[position + 1]);
    items_[position].ID = static_cast<int16_t>(position + 1);
    items_[position + 1].ID = static_cast<int16_t>(position + 2);
}

} // namespace tarnwick::list
