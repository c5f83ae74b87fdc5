// Every address the user gives, typed into the skin or handed over by a launch,
// delivered by the clipboard watcher or polled, enters the list here:
// cleaned first, then listed (for the general page reader too, while it is
// switched on), with a refusal said in the status line. A video downloaded
// before is not listed again.
#pragma once

#include "list/download_queue.h"
#include "list/rare_fields.h"
#include "settings/application_settings.h"
#include "shell/downloaded_before.h"
#include "shell/status_line.h"

#include <string>

namespace tarnwick::shell {

class AddressEntry {
public:
    // `past` may be none: nothing then counts as downloaded before.
    AddressEntry(list::DownloadQueue& queue, StatusMessages& messages,
                 const settings::AppSettings& settings, const PastDownloads* past = nullptr)
        : queue_(queue), messages_(messages), settings_(settings), past_(past) {}

    // Lists the cleaned address and returns it; an address already listed,
    // downloaded before, or one more than the list holds, is told instead.
    // Empty when the text held nothing but blanks: nothing is listed then.
    // With `again`, a video downloaded before is listed all the same.
    std::string Add(const std::string& text, list::Origin origin = list::Origin::kTyped,
                    bool again = false);
    // Lists the cleaned address without a word: for addresses the run finds
    // itself (a playlist's entries, of `identity` where known), whose caller
    // tells what came of them.
    list::DownloadQueue::AddResult Enter(const std::string& text,
                                         list::Origin origin = list::Origin::kTyped,
                                         const std::string& identity = {}, bool again = false);

private:
    list::DownloadQueue& queue_;
    StatusMessages& messages_;
    const settings::AppSettings& settings_;
    const PastDownloads* past_;
    // The entry the last address found downloaded before.
    platform::HistoryEntry before_;
};

} // namespace tarnwick::shell
