#include "list/list_keeper.h"

#include "list/item_history.h"
#include "resolve/file_naming.h"
#include "resolve/site_index.h"
#include "transfer/part_file.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

namespace tarnwick::list {
namespace {

// `code` as an enumerator of E when it is one of [0, count); `fallback` otherwise.
template <typename E>
E EnumOf(int code, int count, E fallback) {
    return code >= 0 && code < count ? static_cast<E>(code) : fallback;
}

constexpr int kStates = static_cast<int>(ItemState::kCancelled) + 1;
constexpr int kNameKinds = static_cast<int>(NameKind::kNamed) + 1;
constexpr int kSizeKinds = static_cast<int>(SizeKind::kStreamed) + 1;
constexpr int kReasons = static_cast<int>(kLastReason) + 1;

// A temporary file as the program names its own: a full path to a file with
// its suffix. Nothing else is ever reopened or removed for an item.
bool IsOwnTemporaryPath(const std::string& path) {
    const std::filesystem::path file(path);
    const std::string name = file.filename().string();
    return file.is_absolute() &&
           name.size() > std::char_traits<char>::length(transfer::PartFile::kSuffix) &&
           name.ends_with(transfer::PartFile::kSuffix);
}

// The record of an item's kept files, when every file it names is one of
// our own temporary files.
std::optional<transfer::Kept> KeptOf(const std::string& text) {
    if (text.empty()) return std::nullopt;
    std::optional<transfer::Kept> kept = transfer::ReadKept(text);
    if (!kept) return std::nullopt;
    for (const std::string& path : transfer::PathsOf(*kept)) {
        if (!IsOwnTemporaryPath(path)) return std::nullopt;
    }
    return kept;
}

} // namespace

platform::StoredItem ToStored(const DownloadItem& item, int64_t id) {
    platform::StoredItem stored;
    stored.id = id;
    stored.page_address = item.page_address;
    stored.site = item.site;
    stored.name_kind = static_cast<int>(item.name_kind);
    stored.name = item.name;
    stored.state = static_cast<int>(item.state);
    stored.size_kind = static_cast<int>(item.size_kind);
    stored.total_size = item.total_size;
    if (item.rare->failure) {
        stored.failure_reason = static_cast<int>(item.rare->failure->reason);
        stored.http_status = item.rare->failure->http_status;
        stored.failure_detail = item.rare->failure->detail;
    }
    stored.resolved = item.rare->resolved;
    stored.title = item.rare->title;
    if (!item.rare->context.empty()) stored.context = handoff::ContextRecord(item.rare->context);
    if (item.rare->choice) stored.choice = resolve::ChoiceRecord(*item.rare->choice);
    // What a later start can count on is what is on disk.
    if (item.rare->kept) stored.kept = transfer::KeptText(*item.rare->kept);
    stored.history = HistoryRecord(item);
    return stored;
}

DownloadItem FromStored(const platform::StoredItem& stored) {
    DownloadItem item;
    item.page_address = stored.page_address;
    // The site is told again when the item is prepared; a damaged number reads as none.
    item.site = stored.site >= resolve::kSiteNone && stored.site <= INT8_MAX
                    ? static_cast<int8_t>(stored.site)
                    : static_cast<int8_t>(resolve::kSiteNone);
    item.name_kind = EnumOf(stored.name_kind, kNameKinds, NameKind::kAutoDetect);
    // A damaged list may hold any name: it names a file in the folder or none.
    item.name = stored.name.empty() ? std::string() : resolve::CleanFileName(stored.name);
    if (item.name_kind == NameKind::kNamed && item.name.empty())
        item.name_kind = NameKind::kAutoDetect;
    item.state = EnumOf(stored.state, kStates, ItemState::kWaiting);
    item.size_kind = EnumOf(stored.size_kind, kSizeKinds, SizeKind::kNotProbed);
    item.total_size = std::max<int64_t>(stored.total_size, 0);
    item.rare->kept = KeptOf(stored.kept);
    item.received = item.rare->kept ? transfer::BytesOf(*item.rare->kept) : 0;
    PutBackToWaiting(item);
    if (stored.failure_reason >= 0 && stored.failure_reason < kReasons) {
        item.rare->failure = Failure{static_cast<Reason>(stored.failure_reason), stored.http_status,
                                     stored.failure_detail};
    }
    if (item.state == ItemState::kFailed && !item.rare->failure) item.rare->failure = Failure{};
    // The resolver that wrote it judges it when it reads it back.
    if (!stored.resolved.empty()) item.rare->resolved = stored.resolved;
    if (!stored.title.empty()) item.rare->title = stored.title;
    if (!stored.context.empty()) {
        // A damaged context reads as none: the item is asked for without it.
        if (auto context = handoff::ParseContextRecord(stored.context))
            item.rare->context = *context;
    }
    // A damaged choice reads as none: the item takes the settings.
    if (!stored.choice.empty()) item.rare->choice = resolve::ParseChoiceRecord(stored.choice);
    if (!stored.history.empty()) ReadHistoryRecord(stored.history, item);
    item.rare.Tidy();
    return item;
}

ListKeeper::ListKeeper(DownloadQueue& queue, platform::ListStore& store, platform::Clock& clock)
    : queue_(queue), store_(store), clock_(clock), timer_(clock_.NewTimer([this] { OnTimer(); })) {
    queue_.AddObserver(this);
    store_.SetLateWrites(this);
}

ListKeeper::~ListKeeper() {
    store_.SetLateWrites(nullptr);
    queue_.RemoveObserver(this);
}

bool ListKeeper::Restore() {
    keeping_ = false;
    platform::LoadedList loaded = store_.LoadAll();
    std::vector<int64_t> unlisted;
    for (const platform::StoredItem& stored : loaded.items) {
        if (queue_.Add(FromStored(stored)) != DownloadQueue::AddResult::kAdded) {
            unlisted.push_back(stored.id); // a second record of one address
            continue;
        }
        const ItemKey key = queue_.LastKey();
        records_.Set(key, stored.id);
        // Its completion was kept in the history with it.
        if (const DownloadItem& item = queue_.At(queue_.Count() - 1); HasCompletion(item))
            completions_[key] = item.rare->completed_at;
    }
    // An unusable store keeps nothing, as the user is told at start-up.
    keeping_ = store_.Opening().unusable_reason.empty();
    if (keeping_) {
        for (const int64_t id : unlisted) Check(store_.Remove(id));
    }
    return loaded.whole;
}

void ListKeeper::SetKeeping(bool keep) {
    if (keep && keeping_) return;
    Forget();
    keeping_ = false;
    stale_ = false;
    told_lost_ = false;
    news_waits_ = false;
    timer_->Stop();
    if (!keep) {
        // What a failed clearing leaves is cleared at the next start; the
        // store's trace tells of the failure.
        static_cast<void>(store_.Clear());
        return;
    }
    keeping_ = true;
    Check(ReplaceAll());
}

void ListKeeper::Flush() {
    WriteWhatWaits();
    if (!store_.EndsWritesLater()) return;
    store_.EndWrites();
    // A write that failed leaves the whole list to be written once more.
    if (!keeping_ || !stale_) return;
    WriteWhatWaits();
    store_.EndWrites();
}

void ListKeeper::WriteWhatWaits() {
    if (keeping_ && stale_) {
        WriteWholeList();
        timer_->Stop();
        return;
    }
    std::vector<ItemKey> due;
    for (UnderWay& item : under_way_) {
        if (std::exchange(item.due, false)) due.push_back(item.key);
    }
    // A write that fails starts the timer again, for the whole list.
    timer_->Stop();
    for (const ItemKey key : due) {
        if (const DownloadItem* item = queue_.Find(key)) Write(*item);
    }
}

void ListKeeper::OnInserted(int position) {
    if (!keeping_ || stale_) return;
    // The store adds one item at a time, at the end of its order: items put
    // back in their places, or many at once, are kept by writing the whole
    // list in its new order, in one write.
    if (in_batch_) {
        batch_inserted_ = true;
    } else if (position + 1 == queue_.Count()) {
        Insert(queue_.At(position));
    } else {
        Check(ReplaceAll());
    }
}

void ListKeeper::Insert(const DownloadItem& item) {
    const Result<int64_t> inserted = store_.Insert(Stored(item, 0));
    if (!inserted) {
        Check(inserted.failure());
        return;
    }
    records_.Set(item.key, inserted.value());
    NoteWritten(item);
}

platform::StoredItem ListKeeper::Stored(const DownloadItem& item, int64_t id) const {
    platform::StoredItem stored = ToStored(item, id);
    if (unrecorded_.count(item.key) > 0) stored.completion = HistoryEntryOf(item);
    return stored;
}

// An item that completed afresh: its entry goes into the history with the
// write of its completion, or, where the list is not kept, on its own.
void ListKeeper::NoteCompletion(const DownloadItem& item) {
    if (!HasCompletion(item)) return;
    const auto [noted, fresh] = completions_.try_emplace(item.key, item.rare->completed_at);
    if (!fresh && noted->second == item.rare->completed_at) return;
    noted->second = item.rare->completed_at;
    unrecorded_.insert(item.key);
    if (!keeping_ || !records_.Contains(item.key)) RecordAlone(item);
}

// A completion whose item will not be written; one that fails waits for the
// item's next write.
void ListKeeper::RecordAlone(const DownloadItem& item) {
    if (unrecorded_.count(item.key) == 0) return;
    if (store_.Record(HistoryEntryOf(item))) unrecorded_.erase(item.key);
}

void ListKeeper::OnRemoving(int position) {
    const ItemKey key = queue_.At(position).key;
    RecordAlone(queue_.At(position));
    unrecorded_.erase(key);
    completions_.erase(key);
    if (in_batch_) {
        batch_removed_.insert(key);
        return;
    }
    if (const std::optional<int64_t> id = records_.Take(key); id && keeping_) {
        Check(store_.Remove(*id));
    }
    ForgetUnderWay(key);
}

ListKeeper::UnderWay* ListKeeper::FindUnderWay(ItemKey key) {
    const auto found = std::find_if(under_way_.begin(), under_way_.end(),
                                    [key](const UnderWay& item) { return item.key == key; });
    return found == under_way_.end() ? nullptr : &*found;
}

void ListKeeper::ForgetUnderWay(ItemKey key) {
    std::erase_if(under_way_, [key](const UnderWay& item) { return item.key == key; });
}

void ListKeeper::OnBatchEnd() {
    in_batch_ = false;
    std::vector<int64_t> removals;
    for (const ItemKey key : batch_removed_) {
        if (const std::optional<int64_t> id = records_.Find(key)) removals.push_back(*id);
        ForgetUnderWay(key);
    }
    records_.RemoveIf([this](ItemKey key) { return batch_removed_.count(key) > 0; });
    std::vector<const DownloadItem*> changed;
    std::vector<platform::StoredItem> updates;
    for (const ItemKey key : batch_changed_) {
        const DownloadItem* item = queue_.Find(key);
        const std::optional<int64_t> record = records_.Find(key);
        if (item == nullptr || !record) continue;
        changed.push_back(item);
        updates.push_back(Stored(*item, *record));
    }
    batch_removed_.clear();
    batch_changed_.clear();
    const bool files_wait = std::exchange(batch_files_wait_, false);
    if (std::exchange(batch_inserted_, false) && keeping_ && !stale_) {
        Check(ReplaceAll());
    } else if (keeping_ && !stale_ && !(updates.empty() && removals.empty())) {
        const Status written = store_.Apply(updates, removals);
        if (!written) return Check(written);
        for (const DownloadItem* item : changed) NoteWritten(*item);
    }
    if (files_wait) store_.EndWrites();
}

void ListKeeper::OnMoved(int from, int to) {
    if (!keeping_) return;
    const std::optional<int64_t> moved = records_.Find(queue_.At(to).key);
    const std::optional<int64_t> other = records_.Find(queue_.At(from).key);
    if (moved && other) Check(store_.SwapOrder(*moved, *other));
}

void ListKeeper::OnChanged(int position, unsigned fields) {
    const DownloadItem& item = queue_.At(position);
    NoteCompletion(item);
    if (!keeping_) return;
    if (!records_.Contains(item.key)) return;
    // A download makes or drops files only once the list says whose they are
    // (and whose they are no longer): that write is waited for.
    const bool files_wait = (fields & kFieldKeptRecord) != 0;
    if (in_batch_) {
        batch_changed_.push_back(item.key);
        batch_files_wait_ = batch_files_wait_ || files_wait;
        return;
    }
    UnderWay* written = FindUnderWay(item.key);
    // A streamed video's size is its bytes so far: progress too.
    const unsigned progress =
        kFieldStatus | kFieldKept | (item.size_kind == SizeKind::kStreamed ? kFieldSize : 0u);
    const bool progress_only =
        (fields & ~progress) == 0 && written != nullptr && written->state == item.state;
    const platform::TimePoint due =
        progress_only ? written->written_at + kProgressInterval : platform::TimePoint{};
    if (!progress_only || clock_.Now() >= due) {
        Write(item);
        if (files_wait) store_.EndWrites();
        return;
    }
    written->due = true;
    if (!timer_->IsActive()) {
        timer_->Start(std::chrono::ceil<platform::Duration>(due - clock_.Now()));
    }
}

// The item was written just now, its completion with it: while it is under
// way, its progress waits for its second from here, and none waits before.
void ListKeeper::NoteWritten(const DownloadItem& item) {
    unrecorded_.erase(item.key);
    if (!IsUnderWay(item.state)) {
        ForgetUnderWay(item.key);
    } else if (UnderWay* written = FindUnderWay(item.key)) {
        *written = {item.key, clock_.Now(), item.state, false};
    } else {
        under_way_.push_back({item.key, clock_.Now(), item.state, false});
    }
}

void ListKeeper::Write(const DownloadItem& item) {
    const std::optional<int64_t> record = records_.Find(item.key);
    if (!record) return;
    const Status written = store_.Update(Stored(item, *record));
    if (!written) {
        Check(written);
        return;
    }
    NoteWritten(item);
}

void ListKeeper::OnTimer() {
    if (stale_) {
        WriteWholeList();
    } else {
        WriteDueProgress();
    }
}

// Writes the items whose second has passed, and waits for the next one due.
void ListKeeper::WriteDueProgress() {
    std::vector<ItemKey> due;
    for (const UnderWay& item : under_way_) {
        if (item.due) due.push_back(item.key);
    }
    std::optional<platform::TimePoint> next;
    for (const ItemKey key : due) {
        // After a write that failed, none is under way any more.
        const DownloadItem* item = queue_.Find(key);
        UnderWay* written = FindUnderWay(key);
        if (written == nullptr || !written->due) continue;
        if (item == nullptr || !records_.Contains(key)) {
            written->due = false;
            continue;
        }
        const platform::TimePoint at = written->written_at + kProgressInterval;
        if (at <= clock_.Now()) {
            Write(*item);
        } else if (!next || at < *next) {
            next = at;
        }
    }
    if (next) timer_->Start(std::chrono::ceil<platform::Duration>(*next - clock_.Now()));
}

void ListKeeper::Check(const Status& written) {
    if (written || stale_) return;
    Forget();
    stale_ = true;
    if (platform::IsStoreGone(written.failure())) {
        // Written anew once the change under way is over.
        timer_->Start(platform::Duration(0));
        return;
    }
    told_lost_ = true;
    Tell({KeepingNews::Kind::kLost, written.failure().detail});
    timer_->Start(kRetryInterval);
}

// The list as it is now, in its order, in place of what the store held.
Status ListKeeper::ReplaceAll() {
    std::vector<platform::StoredItem> stored;
    stored.reserve(queue_.Count());
    for (int position = 0; position < queue_.Count(); ++position) {
        stored.push_back(Stored(queue_.At(position), 0));
    }
    const Result<std::vector<int64_t>> ids = store_.ReplaceAll(stored);
    if (!ids) return ids.failure();
    if (ids.value().size() != stored.size()) {
        return platform::StoreWriteFailure("the store kept another number of items");
    }
    std::vector<RecordTable::Record> records;
    records.reserve(stored.size());
    for (int position = 0; position < queue_.Count(); ++position) {
        const DownloadItem& item = queue_.At(position);
        records.push_back({item.key, ids.value()[static_cast<size_t>(position)]});
        NoteWritten(item);
    }
    records_.Assign(std::move(records));
    stale_ = false;
    return {};
}

void ListKeeper::WriteWholeList() {
    if (!keeping_ || !stale_) return;
    const Status written = ReplaceAll();
    if (!written) return WholeListFailed(written.failure());
    if (store_.EndsWritesLater()) {
        news_waits_ = true;
        return;
    }
    TellKept();
}

void ListKeeper::WholeListFailed(const Failure& failure) {
    Forget();
    stale_ = true;
    if (!told_lost_) Tell({KeepingNews::Kind::kLost, failure.detail});
    told_lost_ = true;
    timer_->Start(kRetryInterval);
}

void ListKeeper::TellKept() {
    Tell({told_lost_ ? KeepingNews::Kind::kBack : KeepingNews::Kind::kRewritten, {}});
    told_lost_ = false;
}

void ListKeeper::OnWriteFailed(const Failure& failure) {
    if (!keeping_) return;
    if (std::exchange(news_waits_, false)) return WholeListFailed(failure);
    Check(failure);
}

void ListKeeper::OnWholeListKept() {
    if (std::exchange(news_waits_, false)) TellKept();
}

// Forgets which records the items have, and the progress that waits.
void ListKeeper::Forget() {
    records_.Clear();
    under_way_.clear();
    timer_->Stop();
}

void ListKeeper::Tell(const KeepingNews& news) {
    if (listener_ != nullptr) listener_->OnKeepingNews(news);
}

} // namespace tarnwick::list
