// The download queue: one item per video page address, in run order.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace tarnwick::list {

struct ListedItem {
    // Identifies the item for as long as it is listed, across moves and
    // renumbering; never shown.
    uint32_t Key = 0;
    int16_t ID = 0; // always the item's position + 1
    std::string Video_URL;
    std::string FileName;
    std::string Status;
    std::string FileSize;
};

class DownloadList {
public:
    static constexpr int kMaxItems = 32767;

    bool IsListEmpty() const { return items_.empty(); }
    int Count() const { return static_cast<int>(items_.size()); }
    // Last position, -1 for an empty list.
    int LastPosition() const { return Count() - 1; }
    bool HasPosition(int position) const { return position >= 0 && position < Count(); }
    // Position of the item with that key, or -1 when it is no longer listed.
    int PositionOfKey(uint32_t key) const;

    // Direct field access by position, as the run control uses it. The page
    // address changes only through UpdateItem, which keeps the address index.
    ListedItem& At(int position) { return items_.at(static_cast<size_t>(position)); }
    const ListedItem& At(int position) const { return items_.at(static_cast<size_t>(position)); }
    const std::vector<ListedItem>& Items() const { return items_; }

    // Appends unless the address is already listed (exact comparison) or the
    // list is full. Empty status and size become "Waiting" and "????".
    void AddItem(const std::string& video_url, const std::string& file_name,
                 const std::string& status, const std::string& file_size);
    // Replaces the fields given as non-empty texts of the item with that ID.
    void UpdateItem(int16_t id, const std::string& video_url, const std::string& file_name,
                    const std::string& status, const std::string& file_size);
    // Removes the item with that ID; the rest keep their order and are renumbered.
    void RemoveItem(int16_t id);
    void MoveItemUp(int16_t id);
    void MoveItemDown(int16_t id);

private:
    void Append(ListedItem item);
    void SwapWithNext(size_t position);

    std::vector<ListedItem> items_;
    // The listed page addresses, for the duplicate check of AddItem.
    std::unordered_multiset<std::string> listed_urls_;
    uint32_t last_key_ = 0;
};

} // namespace tarnwick::list
