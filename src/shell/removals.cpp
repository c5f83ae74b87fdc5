#include "shell/removals.h"

#include "transfer/file_system.h"

#include <algorithm>
#include <utility>

namespace tarnwick::shell {
namespace {

std::string Items(int count) { return std::to_string(count) + (count == 1 ? " item" : " items"); }

} // namespace

std::string RemovedText(int count, Removals::Kind kind) {
    const std::string what = kind == Removals::Kind::kClearCompleted
                                 ? "Cleared " + std::to_string(count) + " complete"
                                 : "Removed " + std::to_string(count);
    return what + (count == 1 ? " item" : " items") + " \u2014 Undo (Ctrl+Z)";
}

Removals::Removals(list::DownloadQueue& queue, driver::PartFiles& part_files,
                   StatusMessages& messages, platform::Clock& clock)
    : queue_(queue),
      part_files_(part_files),
      messages_(messages),
      clock_(clock),
      timer_(clock_.NewTimer([this] { EndDueRemovals(); })) {}

Removals::~Removals() { Finish(); }

int Removals::Remove(const std::vector<list::ItemKey>& keys, Kind kind) {
    Removal removal;
    for (const list::ItemKey key : keys) {
        const int position = queue_.PositionOf(key);
        if (position >= 0) removal.items.push_back({position, queue_.At(position)});
    }
    if (removal.items.empty()) return 0;
    // Put back first to last, each lands where it was.
    std::sort(removal.items.begin(), removal.items.end(),
              [](const auto& a, const auto& b) { return a.position < b.position; });
    part_files_.KeepFilesOfRemovedItems(true);
    const int removed = queue_.RemoveMany(keys);
    part_files_.KeepFilesOfRemovedItems(false);
    removal.until = clock_.Now() + kUndoTime;
    open_.push_back(std::move(removal));
    if (!timer_->IsActive()) timer_->Start(kUndoTime);
    messages_.ShowMessage(RemovedText(removed, kind), kUndoTime);
    return removed;
}

bool Removals::Undo() {
    if (open_.empty()) return false;
    Removal removal = std::move(open_.back());
    open_.pop_back();
    if (open_.empty()) timer_->Stop();
    // An item whose address was listed again meanwhile, or that the full list
    // has no room for, stays removed and gives its file up.
    Removal left;
    std::vector<list::DownloadQueue::Placed> going;
    for (list::DownloadQueue::Placed& placed : removal.items) {
        list::PutBackToWaiting(placed.item);
        (queue_.HasAddress(placed.item.page_address) ? left.items : going).push_back(placed);
    }
    const int back = static_cast<int>(queue_.InsertMany(going).size());
    for (const list::DownloadQueue::Placed& placed : going) {
        if (!queue_.HasAddress(placed.item.page_address)) left.items.push_back(placed);
    }
    RemoveFiles(left);
    std::string text = "Put back " + Items(back);
    if (!left.items.empty()) {
        text += "; " + Items(static_cast<int>(left.items.size())) + " could not go back";
    }
    messages_.ShowMessage(text);
    return true;
}

void Removals::Finish() {
    timer_->Stop();
    for (const Removal& removal : std::exchange(open_, {})) RemoveFiles(removal);
}

void Removals::EndDueRemovals() {
    const platform::TimePoint now = clock_.Now();
    while (!open_.empty() && open_.front().until <= now) {
        RemoveFiles(open_.front());
        open_.pop_front();
    }
    if (!open_.empty()) {
        timer_->Start(std::chrono::ceil<platform::Duration>(open_.front().until - now));
    }
}

void Removals::RemoveFiles(const Removal& removal) {
    for (const list::DownloadQueue::Placed& placed : removal.items) {
        // A file that cannot be removed stays a stray, which the next start
        // sweeps; the item is gone either way.
        for (const std::string& path : list::KeptFilesOf(placed.item)) {
            (void)transfer::files::Remove(path);
        }
    }
}

} // namespace tarnwick::shell
