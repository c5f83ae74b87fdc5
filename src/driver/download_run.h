// The download run: walks the queue in order and hands each item it reaches
// to an ItemJob, with up to JobServices::downloads_at_once jobs under way,
// until no waiting item is left. Where JobServices::resolve_ahead says so,
// the next waiting items (up to two more than at once) have their videos
// found meanwhile, so that each one's bytes start as soon as its turn comes;
// a video found more than ten minutes before its turn is found again. Everything is driven by
// events; nothing here waits. Whatever the user does meanwhile (adding, removing, moving, clearing,
// renaming), every runnable item the run reaches is processed exactly once.
#pragma once

#include "common/observer_list.h"
#include "driver/item_job.h"
#include "list/download_queue.h"
#include "platform/clock.h"

#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

namespace tarnwick::driver {

class RunObserver {
public:
    virtual ~RunObserver() = default;
    // The run found no more items to process and ended by itself.
    virtual void OnRunEnded() {}
    // The run started, was stopped, or ended by itself (after OnRunEnded).
    virtual void OnRunStateChanged() {}
};

// Which items a run takes: every runnable one (the Start button, Start or
// Retry on an item), or only those that wait (a run that an address copied
// or handed to a launch starts: items the user stopped stay stopped).
enum class RunScope : uint8_t { kRunnable, kWaiting };

class DownloadRun : private list::QueueObserver {
public:
    explicit DownloadRun(JobServices services);
    ~DownloadRun() override;
    DownloadRun(const DownloadRun&) = delete;
    DownloadRun& operator=(const DownloadRun&) = delete;

    void AddObserver(RunObserver* observer) { observers_.Add(observer); }
    void RemoveObserver(RunObserver* observer) { observers_.Remove(observer); }

    bool IsRunning() const { return running_; }
    // Begins with the first items of `scope`, at once.
    void Start(RunScope scope = RunScope::kRunnable);
    // Whether a run of `scope` would find anything to take.
    bool HasItemsFor(RunScope scope) const;
    // Ends the run at once: the items under way end "Cancelled"; the others
    // keep their states. OnRunEnded is not called.
    void Stop();
    // Ends the items of `keys` that are under way: they end "Cancelled", and
    // the run goes on with the others.
    void StopItems(const std::vector<list::ItemKey>& keys);
    // While held, the run starts no new item; the items under way go on.
    // Each Hold is undone by one Release.
    void Hold() { ++holds_; }
    void Release();
    // The number of items at once may have risen: more are started now.
    // (A lower number is seen as items finish.)
    void AtOnceChanged() { StartIfRoom(); }

    // The items being processed, in list order.
    std::vector<list::ItemKey> ItemsUnderWay() const;
    // The first of them, if any.
    std::optional<list::ItemKey> CurrentItem() const;

private:
    void OnInserted(int position) override;
    void OnRemoving(int position) override;
    void OnRemoved(int position) override;
    void OnMoved(int from, int to) override {
        Rewind(std::min(from, to));
        LookAgainAhead();
    }
    void OnChanged(int position, unsigned fields) override;

    void Rewind(int position);
    // Looks for items to start soon, if fewer than allowed are under way.
    void StartIfRoom();
    void TellStateChanged();
    void OnItemDone() { next_->Start(platform::Duration(0)); }
    int AtOnce() const;
    int CountUnderWay() const;
    bool IsUnderWay(list::ItemKey key) const;
    void StartNextItems();
    // The job for `key`: the one ahead of its turn, if still fresh, or a new one.
    std::unique_ptr<ItemJob> JobFor(list::ItemKey key);
    std::unique_ptr<ItemJob> NewJob(list::ItemKey key);
    std::vector<std::unique_ptr<ItemJob>>::iterator FindAhead(list::ItemKey key);
    // Starts jobs ahead of their turn for the next waiting items, and lets go
    // of those whose items are no longer next.
    void ResolveAhead();
    std::vector<list::ItemKey> NextWaiting(size_t most) const;
    int CountResolving() const;
    void DropAhead(list::ItemKey key);
    void LookAgainAhead();
    void EndByItself();
    std::optional<list::ItemKey> NextItem();
    bool InScope(const list::DownloadItem& item, RunScope scope) const;

    JobServices services_;
    YtDlpAnswers ytdlp_answers_;
    std::unique_ptr<platform::Timer> next_;
    // The jobs started, in the order they were; a finished one stays until
    // the next_ timer lets it go, outside its own calls, and holds its place
    // until then.
    std::vector<std::unique_ptr<ItemJob>> jobs_;
    // Jobs ahead of their items' turn, resolving or waiting with their plan.
    std::vector<std::unique_ptr<ItemJob>> ahead_;
    // Items whose finding ahead ended without a plan: their turn tries again.
    std::unordered_set<list::ItemKey> not_found_ahead_;
    // Items this run has taken; the rest of the queue before scan_from_ is
    // taken or finished.
    std::unordered_set<list::ItemKey> taken_;
    int scan_from_ = 0;
    bool running_ = false;
    RunScope scope_ = RunScope::kRunnable;
    int holds_ = 0;
    ObserverList<RunObserver> observers_;
};

} // namespace tarnwick::driver
