// Every address the user gives, typed into the skin or handed over by a launch,
// delivered by the clipboard watcher or polled, enters the list here:
// cleaned first, then listed (for the general page reader too, while it is
// switched on), with a refusal said in the status line.
#pragma once

#include "list/download_queue.h"
#include "settings/application_settings.h"
#include "shell/status_line.h"

#include <string>

namespace tarnwick::shell {

class AddressEntry {
public:
    AddressEntry(list::DownloadQueue& queue, StatusMessages& messages,
                 const settings::AppSettings& settings)
        : queue_(queue), messages_(messages), settings_(settings) {}

    // Lists the cleaned address and returns it; an address already listed,
    // or one more than the list holds, is told instead. Empty when the text
    // held nothing but blanks: nothing is listed then.
    std::string Add(const std::string& text);
    // Lists the cleaned address without a word: for addresses the run finds
    // itself (a playlist's entries), whose caller tells what came of them.
    list::DownloadQueue::AddResult Enter(const std::string& text);

private:
    list::DownloadQueue& queue_;
    StatusMessages& messages_;
    const settings::AppSettings& settings_;
};

} // namespace tarnwick::shell
