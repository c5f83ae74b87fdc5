#include "kept_list.h"

#include "list/add_video_url.h"
#include "sqlite/sqlite_list_store.h"

#include <vector>

namespace tarnwick::bench {

bool WriteKeptList(const std::string& file, int count) {
    std::vector<platform::StoredItem> items(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        platform::StoredItem& item = items[static_cast<size_t>(i)];
        item.page_address = "http://www.youtube.com/watch?v=item" + std::to_string(i);
        item.site = list::SiteFor(item.page_address, true);
    }
    sqlite::SqliteListStore store(file);
    return store.ReplaceAll(items).has_value();
}

int CountKeptItems(const std::string& file) {
    sqlite::SqliteListStore store(file);
    if (!store.Opening().unusable_reason.empty()) return -1;
    const platform::LoadedList loaded = store.LoadAll();
    return loaded.whole ? static_cast<int>(loaded.items.size()) : -1;
}

} // namespace tarnwick::bench
