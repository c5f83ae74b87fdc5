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
    return entry;
}

std::string DownloadedBeforeText(const platform::HistoryEntry& entry) {
    const std::time_t at = static_cast<std::time_t>(entry.completed_at);
    std::tm local{};
    char date[16] = "";
    if (::localtime_r(&at, &local) != nullptr) std::strftime(date, sizeof date, "%Y-%m-%d", &local);
    std::string name = entry.title;
    if (name.empty()) name = entry.page_address.empty() ? entry.identity : entry.page_address;
    return "Downloaded before on " + std::string(date) + ": " + name + " \u2014 Show";
}

} // namespace tarnwick::shell
