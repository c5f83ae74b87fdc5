// Whether an address is a video the history holds, so that it is not
// downloaded again: its file must still be there (an entry imported without
// a file counts as there), and the user may ask to download videos again.
#pragma once

#include "platform/history_store.h"

#include <functional>
#include <optional>
#include <string>

namespace tarnwick::shell {

struct PastDownloadServices {
    // None: nothing counts as downloaded before.
    platform::HistoryStore* history = nullptr;
    std::function<bool(const std::string& path)> file_exists;
    // The setting "Download videos again".
    std::function<bool()> download_again;
};

class PastDownloads {
public:
    explicit PastDownloads(PastDownloadServices services) : s_(std::move(services)) {}

    // The history's entry of the video at `address` (or of `identity`, where
    // known) whose file is still there; none when it is to be downloaded.
    std::optional<platform::HistoryEntry> Before(const std::string& address,
                                                 const std::string& identity = {}) const;
    // The entry Before found last, which the status line's "Show" shows.
    const std::optional<platform::HistoryEntry>& Last() const { return last_; }

private:
    PastDownloadServices s_;
    mutable std::optional<platform::HistoryEntry> last_;
};

// "Downloaded before on 2026-12-09: Harbour — Show", the date the local one.
std::string DownloadedBeforeText(const platform::HistoryEntry& entry);
// The local date of a moment in seconds since 1970: "2026-12-09".
std::string LocalDateText(int64_t seconds);
// What names an entry: its title, else its address, else its identity.
std::string EntryName(const platform::HistoryEntry& entry);

} // namespace tarnwick::shell
