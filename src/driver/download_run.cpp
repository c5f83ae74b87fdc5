#include "driver/download_run.h"

#include <algorithm>

namespace tarnwick::driver {

DownloadRun::DownloadRun(JobServices services)
    : services_(std::move(services)), next_(services_.clock.NewTimer([this] { StartNextItem(); })) {
    services_.queue.AddObserver(this);
}

DownloadRun::~DownloadRun() { services_.queue.RemoveObserver(this); }

void DownloadRun::Start() {
    if (running_) return;
    running_ = true;
    holds_ = 0;
    taken_.clear();
    scan_from_ = 0;
    TellStateChanged();
    StartNextItem();
}

void DownloadRun::Stop() {
    if (!running_) return;
    running_ = false;
    holds_ = 0;
    next_->Stop();
    if (job_) job_->Cancel();
    job_.reset();
    taken_.clear();
    TellStateChanged();
}

void DownloadRun::TellStateChanged() {
    observers_.Notify([](RunObserver& observer) { observer.OnRunStateChanged(); });
}

void DownloadRun::Release() {
    if (holds_ > 0) --holds_;
    if (running_ && holds_ == 0 && (!job_ || job_->IsDone())) next_->Start(platform::Duration(0));
}

std::optional<list::ItemKey> DownloadRun::CurrentItem() const {
    if (!job_ || job_->IsDone()) return std::nullopt;
    return job_->Key();
}

void DownloadRun::StartNextItem() {
    // The finished job is let go here, outside its own calls.
    job_.reset();
    if (!running_ || holds_ > 0) return;
    const std::optional<list::ItemKey> key = NextItem();
    if (!key) {
        running_ = false;
        taken_.clear();
        observers_.Notify([](RunObserver& observer) { observer.OnRunEnded(); });
        TellStateChanged();
        return;
    }
    taken_.insert(*key);
    job_ = std::make_unique<ItemJob>(services_, *key, [this] { OnItemDone(); });
    job_->Start();
}

std::optional<list::ItemKey> DownloadRun::NextItem() {
    const list::DownloadQueue& queue = services_.queue;
    for (; scan_from_ < queue.Count(); ++scan_from_) {
        const list::DownloadItem& item = queue.At(scan_from_);
        if (list::IsRunnable(item) && taken_.count(item.key) == 0) return item.key;
    }
    return std::nullopt;
}

void DownloadRun::Rewind(int position) {
    if (running_) scan_from_ = std::min(scan_from_, position);
}

void DownloadRun::OnRemoving(int position) {
    if (!job_ || job_->IsDone() || services_.queue.At(position).key != job_->Key()) return;
    // The item under way leaves the list: its job ends, and the run goes on.
    job_.reset();
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
}

} // namespace tarnwick::driver
