#include "driver/download_run.h"

#include <algorithm>
#include <chrono>

namespace tarnwick::driver {
namespace {

// How long a video found ahead of its turn is taken as it was found: links
// of many sites expire, within hours mostly.
constexpr auto kFoundAheadLasts = std::chrono::minutes(10);
// Items resolved ahead beyond those at once, and how far down the list the
// run looks for them.
constexpr int kMoreAhead = 2;
constexpr int kLookAhead = 256;

} // namespace

DownloadRun::DownloadRun(JobServices services)
    : services_(std::move(services)),
      ytdlp_answers_(services_.clock),
      next_(services_.clock.NewTimer([this] { StartNextItems(); })) {
    services_.queue.AddObserver(this);
    // The entries of a playlist are found ahead, their yt-dlp asked together.
    if (services_.resolve_ahead) services_.ytdlp_answers = &ytdlp_answers_;
}

DownloadRun::~DownloadRun() { services_.queue.RemoveObserver(this); }

void DownloadRun::Start(RunScope scope) {
    if (running_) return;
    running_ = true;
    scope_ = scope;
    holds_ = 0;
    taken_.clear();
    not_found_ahead_.clear();
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
    // Those ahead of their turn end quietly: their items never showed them.
    const std::vector<std::unique_ptr<ItemJob>> ahead = std::move(ahead_);
    ahead_.clear();
    not_found_ahead_.clear();
    ytdlp_answers_.StopAskingAhead();
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
    std::erase_if(ahead_, [this](const auto& job) {
        if (job->IsDone()) not_found_ahead_.insert(job->Key());
        return job->IsDone();
    });
    if (!running_ || holds_ > 0) return;
    // A job that ends within its Start keeps its place until the next turn.
    while (running_ && holds_ == 0 && static_cast<int>(jobs_.size()) < AtOnce()) {
        const std::optional<list::ItemKey> key = NextItem();
        if (!key) break;
        taken_.insert(*key);
        jobs_.push_back(JobFor(*key));
        jobs_.back()->Start();
    }
    if (running_ && jobs_.empty()) return EndByItself();
    if (running_ && holds_ == 0 && services_.resolve_ahead) ResolveAhead();
}

std::unique_ptr<ItemJob> DownloadRun::NewJob(list::ItemKey key) {
    return std::make_unique<ItemJob>(services_, key, [this] { OnItemDone(); });
}

std::vector<std::unique_ptr<ItemJob>>::iterator DownloadRun::FindAhead(list::ItemKey key) {
    return std::find_if(ahead_.begin(), ahead_.end(),
                        [key](const auto& job) { return job->Key() == key; });
}

std::unique_ptr<ItemJob> DownloadRun::JobFor(list::ItemKey key) {
    if (const auto found = FindAhead(key); found != ahead_.end()) {
        std::unique_ptr<ItemJob> job = std::move(*found);
        ahead_.erase(found);
        const std::optional<platform::TimePoint> at = job->ResolvedAt();
        if (!at || services_.clock.Now() - *at < kFoundAheadLasts) return job;
    }
    return NewJob(key);
}

void DownloadRun::ResolveAhead() {
    const std::vector<list::ItemKey> next = NextWaiting(static_cast<size_t>(AtOnce() + kMoreAhead));
    std::erase_if(ahead_, [&next](const auto& job) {
        return std::find(next.begin(), next.end(), job->Key()) == next.end();
    });
    for (const list::ItemKey key : next) {
        if (CountResolving() >= AtOnce() + kMoreAhead) return;
        if (FindAhead(key) != ahead_.end()) continue;
        ahead_.push_back(NewJob(key));
        ahead_.back()->StartAhead();
    }
}

// The waiting items the run reaches next, in list order, at most `most`.
std::vector<list::ItemKey> DownloadRun::NextWaiting(size_t most) const {
    const list::DownloadQueue& queue = services_.queue;
    std::vector<list::ItemKey> next;
    const int end = std::min(queue.Count(), scan_from_ + kLookAhead);
    for (int position = scan_from_; position < end && next.size() < most; ++position) {
        const list::DownloadItem& item = queue.At(position);
        if (item.state == list::ItemState::kWaiting && InScope(item, scope_) &&
            taken_.count(item.key) == 0 && not_found_ahead_.count(item.key) == 0 &&
            !IsUnderWay(item.key)) {
            next.push_back(item.key);
        }
    }
    return next;
}

// The jobs finding what to download, under way or ahead: as many yt-dlp
// processes may run at most.
int DownloadRun::CountResolving() const {
    const auto resolving = [](const auto& job) { return job->IsResolving(); };
    return static_cast<int>(std::count_if(jobs_.begin(), jobs_.end(), resolving) +
                            std::count_if(ahead_.begin(), ahead_.end(), resolving)) +
           ytdlp_answers_.AsksAhead();
}

void DownloadRun::DropAhead(list::ItemKey key) {
    std::erase_if(ahead_, [key](const auto& job) { return !job->IsDone() && job->Key() == key; });
}

void DownloadRun::EndByItself() {
    running_ = false;
    taken_.clear();
    ahead_.clear();
    ytdlp_answers_.StopAskingAhead();
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
    LookAgainAhead();
}

void DownloadRun::Rewind(int position) {
    if (running_) scan_from_ = std::min(scan_from_, position);
}

void DownloadRun::OnRemoving(int position) {
    const list::ItemKey key = services_.queue.At(position).key;
    DropAhead(key);
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
    // An item stopped or otherwise changed before its turn is found out afresh.
    if (item.state != list::ItemState::kWaiting && !IsUnderWay(item.key)) DropAhead(item.key);
    LookAgainAhead();
}

// The items next in line may have changed: the ones ahead are looked at
// again from the event loop.
void DownloadRun::LookAgainAhead() {
    if (running_ && services_.resolve_ahead && !next_->IsActive())
        next_->Start(platform::Duration(0));
}

} // namespace tarnwick::driver
