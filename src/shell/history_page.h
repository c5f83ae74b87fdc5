// The History page: what was downloaded, newest first, a page of rows at a
// time as the skin scrolls, searched as the user types; the chosen entry's
// file opened or shown, its address copied or downloaded again, the entry
// removed, or the whole history cleared once the user said yes.
//
// The skin shows what the program writes: "_root.historyRows" (a line for
// each row shown: date, title, size and folder, separated by tabs),
// "_root.historyCount" (the entries found) and "_root.historyFirst" (the
// index of the first row shown). It writes "_root.historySearch",
// "_root.historyFirst" and "_root.historyShown" (the rows it has room for)
// before "ID_FS_historySearch" or "ID_FS_historyScroll", and
// "_root.historySelected" (the index of the row chosen) before each action.
#pragma once

#include "platform/clipboard.h"
#include "platform/folder_chooser.h"
#include "platform/history_store.h"
#include "platform/message_box.h"
#include "platform/skin_player.h"
#include "shell/address_entry.h"
#include "shell/downloaded_before.h"
#include "shell/item_files.h"
#include "shell/status_line.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::shell {

struct HistoryPageServices {
    // None: the page shows nothing and its actions do nothing.
    platform::HistoryStore* history;
    platform::SkinPlayer& skin;
    ItemFiles& files;
    platform::Clipboard& clipboard;
    AddressEntry& entry;
    StatusMessages& messages;
    platform::MessageBox& box;
    platform::FolderChooser& chooser;
    // What was found downloaded before, for the status line's "Show".
    const PastDownloads* past = nullptr;
    // The time of day in seconds since 1970 (UTC) an import is kept at; none
    // takes the system's.
    std::function<int64_t()> wall_seconds = {};
};

class HistoryPage {
public:
    // The most rows shown at once, whatever room the skin says it has.
    static constexpr int kMostRows = 200;

    explicit HistoryPage(HistoryPageServices services) : s_(services) {}

    // Shows the rows from the skin's first on, as the search finds them.
    void Show();
    // The search changed: its rows from the first.
    void Search();
    void Open();
    void ShowInFolder();
    void CopyAddress();
    // Lists the entry's address again, downloaded before or not.
    void DownloadAgain();
    void Remove();
    void Clear();
    // Reads a yt-dlp download archive the user chooses into the history, as
    // videos downloaded before without their files.
    void Import();
    // Shows the file of the video last found downloaded before.
    void ShowDownloadedBefore();
    // Writes the history's yt-dlp identities as a download archive where the
    // user chooses.
    void Export();

private:
    std::optional<platform::HistoryEntry> Chosen() const;
    int64_t Variable(const char* name, int64_t fallback) const;

    HistoryPageServices s_;
    std::string search_;
    int64_t first_ = 0;
    // The rows shown, from first_ on.
    std::vector<platform::HistoryEntry> shown_;
};

// "2026-12-09\tHarbour\t12.3 MB\t/home/ann/Videos\n", the date the local one;
// tabs and line breaks in the texts become blanks.
std::string HistoryRowText(const platform::HistoryEntry& entry);

} // namespace tarnwick::shell
