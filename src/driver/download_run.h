// The download run: walks the queue in order and hands each item it reaches
// to an ItemJob, one at a time, until no waiting item is left. Everything is
// driven by events; nothing here waits. Whatever the user does meanwhile
// (adding, removing, moving, clearing, renaming), every runnable item the run
// reaches is processed exactly once.
#pragma once

#include "common/observer_list.h"
#include "driver/item_job.h"
#include "list/download_queue.h"
#include "platform/clock.h"

#include <memory>
#include <optional>
#include <unordered_set>

namespace tarnwick::driver {

class RunObserver {
public:
    virtual ~RunObserver() = default;
    // The run found no more items to process and ended by itself.
    virtual void OnRunEnded() {}
    // The run started, was stopped, or ended by itself (after OnRunEnded).
    virtual void OnRunStateChanged() {}
};

class DownloadRun : private list::QueueObserver {
public:
    explicit DownloadRun(JobServices services);
    ~DownloadRun() override;
    DownloadRun(const DownloadRun&) = delete;
    DownloadRun& operator=(const DownloadRun&) = delete;

    void AddObserver(RunObserver* observer) { observers_.Add(observer); }
    void RemoveObserver(RunObserver* observer) { observers_.Remove(observer); }

    bool IsRunning() const { return running_; }
    // Begins with the first runnable item, at once.
    void Start();
    // Ends the run at once: the item under way ends "Cancelled"; the items
    // after it keep their states. OnRunEnded is not called.
    void Stop();
    // While held, the run starts no new item; the item under way goes on.
    // Each Hold is undone by one Release.
    void Hold() { ++holds_; }
    void Release();

    // The item being processed, if any.
    std::optional<list::ItemKey> CurrentItem() const;

private:
    void OnInserted(int position) override { Rewind(position); }
    void OnRemoving(int position) override;
    void OnRemoved(int position) override;
    void OnMoved(int from, int to) override { Rewind(std::min(from, to)); }
    void OnChanged(int position, unsigned fields) override;

    void Rewind(int position);
    void TellStateChanged();
    void OnItemDone() { next_->Start(platform::Duration(0)); }
    void StartNextItem();
    std::optional<list::ItemKey> NextItem();

    JobServices services_;
    std::unique_ptr<platform::Timer> next_;
    std::unique_ptr<ItemJob> job_;
    // Items this run has taken; the rest of the queue before scan_from_ is
    // taken or finished.
    std::unordered_set<list::ItemKey> taken_;
    int scan_from_ = 0;
    bool running_ = false;
    int holds_ = 0;
    ObserverList<RunObserver> observers_;
};

} // namespace tarnwick::driver
