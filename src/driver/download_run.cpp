#include "driver/download_run.h"

#include <algorithm>

namespace tarnwick::driver {

DownloadRun::DownloadRun(JobServices services)
    : services_(std::move(services)),
      next_(services_.clock.NewTimer([this] { StartNextItems(); })) {
    services_.queue.AddObserver(this);
}

DownloadRun::~DownloadRun() { services_.queue.RemoveObserver(this); }

void DownloadRun::Start(RunScope scope) {
    if (running_) return;
    running_ = true;
    scope_ = scope;
    holds_ = 0;
    taken_.clear();
    scan_from_ = 0;
    // A server that was crowded in an earlier run may have room again.
    if (services_.connection_budget != nullptr) services_.connection_budget->ForgetCrowding();
    TellStateChanged();
    StartNextItems();
}

void DownloadRun::Stop() {
    if (!running_) return;
    running_ = false;
    holds_ = 0;
    next_->Stop();
    // Taken out first: each cancel tells the queue's observers, who may
    // call back in.
    const std::vector<std::unique_ptr<ItemJob>> jobs = std::move(jobs_);
    jobs_.clear();
    for (const std::unique_ptr<ItemJob>& job : jobs) job->Cancel();
    taken_.clear();
    TellStateChanged();
}

void DownloadRun::StopItems(const std::vector<list::ItemKey>& keys) {
    for (const list::ItemKey key : keys) {
        // Looked up afresh: each cancel tells the queue's observers.
        const auto job = std::find_if(jobs_.begin(), jobs_.end(), [key](const auto& j) {
            return !j->IsDone() && j->Key() == key;
        });
        if (job != jobs_.end()) (*job)->Cancel();
    }
    StartIfRoom();
}

void DownloadRun::TellStateChanged() {
    observers_.Notify([](RunObserver& observer) { observer.OnRunStateChanged(); });
}

void DownloadRun::Release() {
    if (holds_ > 0) --holds_;
    StartIfRoom();
}

void DownloadRun::StartIfRoom() {
    if (running_ && holds_ == 0 && !next_->IsActive() && CountUnderWay() < AtOnce()) {
        next_->Start(platform::Duration(0));
    }
}

int DownloadRun::AtOnce() const {
    const int wanted = services_.downloads_at_once ? services_.downloads_at_once() : 1;
    return std::clamp(wanted, 1, 4);
}

int DownloadRun::CountUnderWay() const {
    return static_cast<int>(
        std::count_if(jobs_.begin(), jobs_.end(), [](const auto& job) { return !job->IsDone(); }));
}

bool DownloadRun::IsUnderWay(list::ItemKey key) const {
    return std::any_of(jobs_.begin(), jobs_.end(),
                       [key](const auto& job) { return !job->IsDone() && job->Key() == key; });
}

std::vector<list::ItemKey> DownloadRun::ItemsUnderWay() const {
    std::vector<std::pair<int, list::ItemKey>> placed;
    for (const std::unique_ptr<ItemJob>& job : jobs_) {
        if (!job->IsDone()) placed.emplace_back(services_.queue.PositionOf(job->Key()), job->Key());
    }
    std::sort(placed.begin(), placed.end());
    std::vector<list::ItemKey> keys;
    for (const auto& [position, key] : placed) keys.push_back(key);
    return keys;
}

std::optional<list::ItemKey> DownloadRun::CurrentItem() const {
    const std::vector<list::ItemKey> keys = ItemsUnderWay();
    if (keys.empty()) return std::nullopt;
    return keys.front();
}

void DownloadRun::StartNextItems() {
    // The finished jobs are let go here, outside their own calls.
    std::erase_if(jobs_, [](const auto& job) { return job->IsDone(); });
    if (!running_ || holds_ > 0) return;
    // A job that ends within its Start keeps its place until the next turn.
    while (running_ && holds_ == 0 && static_cast<int>(jobs_.size()) < AtOnce()) {
        const std::optional<list::ItemKey> key = NextItem();
        if (!key) break;
        taken_.insert(*key);
        jobs_.push_back(std::make_unique<ItemJob>(services_, *key, [this] { OnItemDone(); }));
        jobs_.back()->Start();
    }
    if (running_ && jobs_.empty()) EndByItself();
}

void DownloadRun::EndByItself() {
    running_ = false;
    taken_.clear();
    observers_.Notify([](RunObserver& observer) { observer.OnRunEnded(); });
    TellStateChanged();
}

std::optional<list::ItemKey> DownloadRun::NextItem() {
    const list::DownloadQueue& queue = services_.queue;
    for (; scan_from_ < queue.Count(); ++scan_from_) {
        const list::DownloadItem& item = queue.At(scan_from_);
        if (InScope(item, scope_) && taken_.count(item.key) == 0 && !IsUnderWay(item.key)) {
            return item.key;
        }
    }
    return std::nullopt;
}

bool DownloadRun::InScope(const list::DownloadItem& item, RunScope scope) const {
    return list::IsRunnable(item) &&
           (scope == RunScope::kRunnable || item.state == list::ItemState::kWaiting);
}

bool DownloadRun::HasItemsFor(RunScope scope) const {
    const list::DownloadQueue& queue = services_.queue;
    for (int position = 0; position < queue.Count(); ++position) {
        if (InScope(queue.At(position), scope)) return true;
    }
    return false;
}

void DownloadRun::OnInserted(int position) {
    Rewind(position);
    StartIfRoom();
}

void DownloadRun::Rewind(int position) {
    if (running_) scan_from_ = std::min(scan_from_, position);
}

void DownloadRun::OnRemoving(int position) {
    const list::ItemKey key = services_.queue.At(position).key;
    const auto job = std::find_if(jobs_.begin(), jobs_.end(),
                                  [key](const auto& j) { return !j->IsDone() && j->Key() == key; });
    if (job == jobs_.end()) return;
    // An item under way leaves the list: its job ends, and the run goes on.
    jobs_.erase(job);
    next_->Start(platform::Duration(0));
}

void DownloadRun::OnRemoved(int position) {
    if (running_ && position < scan_from_) --scan_from_;
}

void DownloadRun::OnChanged(int position, unsigned fields) {
    if ((fields & list::kFieldStatus) == 0) return;
    const list::DownloadItem& item = services_.queue.At(position);
    // An item put back to waiting (a retry) is taken again, even by this run.
    if (item.state == list::ItemState::kWaiting) taken_.erase(item.key);
    // An item made runnable again behind the scan is taken too.
    if (position < scan_from_ && list::IsRunnable(item)) Rewind(position);
    if (item.state == list::ItemState::kWaiting) StartIfRoom();
}

} // namespace tarnwick::driver
