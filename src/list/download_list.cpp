#include "list/download_list.h"

#include "list/status_texts.h"

#include <utility>

namespace tarnwick::list {

void DownloadList::AddItem(const std::string& video_url, const std::string& file_name,
                           const std::string& status, const std::string& file_size) {
    if (listed_urls_.count(video_url) > 0) return;
    if (Count() >= kMaxItems) return;
    ListedItem item;
    item.Key = ++last_key_;
    item.Video_URL = video_url;
    item.FileName = file_name;
    item.Status = status;
    item.FileSize = file_size;
    Append(std::move(item));
}

void DownloadList::Append(ListedItem item) {
    item.ID = static_cast<int16_t>(items_.size() + 1);
    if (item.Status.empty()) item.Status = status::kWaiting;
    if (item.FileSize.empty()) item.FileSize = status::kUnknownSize;
    listed_urls_.insert(item.Video_URL);
    items_.push_back(std::move(item));
}

int DownloadList::PositionOfKey(uint32_t key) const {
    for (size_t p = 0; p < items_.size(); ++p) {
        if (items_[p].Key == key) return static_cast<int>(p);
    }
    return -1;
}

void DownloadList::UpdateItem(int16_t id, const std::string& video_url,
                              const std::string& file_name, const std::string& status,
                              const std::string& file_size) {
    const int position = id - 1;
    if (!HasPosition(position)) return;
    ListedItem& item = At(position);
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
    std::vector<ListedItem> copy = std::move(items_);
    items_.clear();
    listed_urls_.clear();
    for (ListedItem& item : copy) {
        if (item.ID != id) Append(std::move(item));
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
