#include "list/item_history.h"

#include "resolve/typed_name.h"

#include <charconv>
#include <string_view>

namespace tarnwick::list {
namespace {

constexpr int kOrigins = static_cast<int>(Origin::kImported) + 1;

std::optional<int64_t> NumberOf(std::string_view text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

} // namespace

std::string HistoryRecord(const DownloadItem& item) {
    const RareFields& rare = item.rare.get();
    if (rare.origin == Origin::kTyped && rare.identity.empty() && rare.completed_at == 0) return {};
    return std::to_string(static_cast<int>(rare.origin)) + "\n" +
           std::to_string(rare.completed_at) + "\n" + rare.identity + "\n" + rare.completed_path;
}

void ReadHistoryRecord(const std::string& record, DownloadItem& item) {
    const size_t first = record.find('\n');
    const size_t second = record.find('\n', first + 1);
    const size_t third = record.find('\n', second + 1);
    if (third == std::string::npos) return;
    const std::optional<int64_t> origin = NumberOf(std::string_view(record).substr(0, first));
    const std::optional<int64_t> at =
        NumberOf(std::string_view(record).substr(first + 1, second - first - 1));
    if (!origin || *origin < 0 || *origin >= kOrigins || !at || *at < 0) return;
    item.rare->origin = static_cast<Origin>(*origin);
    item.rare->completed_at = *at;
    item.rare->identity = record.substr(second + 1, third - second - 1);
    item.rare->completed_path = record.substr(third + 1);
}

bool HasCompletion(const DownloadItem& item) {
    return item.state == ItemState::kComplete && item.rare->completed_at > 0 &&
           !item.rare->completed_path.empty();
}

platform::HistoryEntry HistoryEntryOf(const DownloadItem& item) {
    platform::HistoryEntry entry;
    entry.page_address = item.page_address;
    entry.identity = item.rare->identity;
    entry.title = item.name.substr(0, item.name.size() - resolve::ExtensionOf(item.name).size());
    entry.path = item.rare->completed_path;
    entry.size = item.total_size;
    entry.completed_at = item.rare->completed_at;
    entry.origin = static_cast<int>(item.rare->origin);
    return entry;
}

} // namespace tarnwick::list
