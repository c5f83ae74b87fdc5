// Removing items so that the user can take it back. The items leave the list
// at once, and the status line offers the undo for kUndoTime; the temporary
// files they owned stay meanwhile. Undo puts the items of the last removal
// back in their places with their files, to be downloaded on from where they
// were. Once the time has passed, or at exit, the files go.
#pragma once

#include "driver/part_files.h"
#include "list/download_queue.h"
#include "platform/clock.h"
#include "shell/removal_undo.h"
#include "shell/status_line.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick::shell {

class Removals : public RemovalUndo {
public:
    static constexpr platform::Duration kUndoTime{10000};
    // What the user asked for, as the status line names it.
    enum class Kind { kRemove, kClearCompleted };

    Removals(list::DownloadQueue& queue, driver::PartFiles& part_files, StatusMessages& messages,
             platform::Clock& clock);
    // The files of removals that could still be undone go.
    ~Removals() override;
    Removals(const Removals&) = delete;
    Removals& operator=(const Removals&) = delete;

    // Removes the listed items among `keys` in one batch and offers the undo;
    // how many went.
    int Remove(const std::vector<list::ItemKey>& keys, Kind kind);
    bool Undo() override;
    // Ends every undo still open: the files of its items go. At exit.
    void Finish();

private:
    struct Removal {
        std::vector<list::DownloadQueue::Placed> items;
        platform::TimePoint until;
    };

    void EndDueRemovals();
    static void RemoveFiles(const Removal& removal);

    list::DownloadQueue& queue_;
    driver::PartFiles& part_files_;
    StatusMessages& messages_;
    platform::Clock& clock_;
    std::unique_ptr<platform::Timer> timer_;
    // Oldest first; each one's time ends after the one's before it.
    std::deque<Removal> open_;
};

// "Removed 3 items — Undo (Ctrl+Z)".
std::string RemovedText(int count, Removals::Kind kind);

} // namespace tarnwick::shell
