#include "shell/downloaded_before.h"

#include <ctime>

namespace tarnwick::shell {

std::optional<platform::HistoryEntry> PastDownloads::Before(const std::string& address,
                                                            const std::string& identity) const {
    if (s_.history == nullptr || (s_.download_again && s_.download_again())) return std::nullopt;
    std::optional<platform::HistoryEntry> entry = s_.history->FindVideo(address, identity);
    if (!entry) return std::nullopt;
    if (!entry->path.empty() && !(s_.file_exists && s_.file_exists(entry->path)))
        return std::nullopt;
    last_ = entry;
    return entry;
}

std::string LocalDateText(int64_t seconds) {
    const std::time_t at = static_cast<std::time_t>(seconds);
    std::tm local{};
    char date[16] = "";
    if (::localtime_r(&at, &local) != nullptr) std::strftime(date, sizeof date, "%Y-%m-%d", &local);
    return date;
}

std::string EntryName(const platform::HistoryEntry& entry) {
    if (!entry.title.empty()) return entry.title;
    return entry.page_address.empty() ? entry.identity : entry.page_address;
}

std::string DownloadedBeforeText(const platform::HistoryEntry& entry) {
    return "Downloaded before on " + LocalDateText(entry.completed_at) + ": " + EntryName(entry) +
           " \u2014 Show";
}

} // namespace tarnwick::shell
