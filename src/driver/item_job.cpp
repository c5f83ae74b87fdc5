#include "driver/item_job.h"

#include "driver/browser_agent.h"
#include "driver/download_folder.h"
#include "platform/app_paths.h"
#include "resolve/derived_name.h"
#include "resolve/site_index.h"
#include "resolve/sites/extract_link.h"
#include "transfer/file_system.h"

#include <limits>
#include <utility>

namespace tarnwick::driver {
namespace {

using list::DownloadItem;
using list::ItemState;
using list::SizeKind;

// What the probe found of the size, as the item keeps it; what the probe
// could not tell stays unknown for the transfer to learn.
void TakeProbedSize(DownloadItem& item, const transfer::ProbeFindings& findings) {
    using Existence = transfer::ProbeFindings::Existence;
    switch (findings.existence) {
        case Existence::kUnknown: item.size_kind = SizeKind::kNotProbed; break;
        case Existence::kMissing: item.size_kind = SizeKind::kNotFound; break;
        case Existence::kExists:
            item.size_kind = findings.size ? SizeKind::kKnown : SizeKind::kExistsWithoutSize;
            item.total_size = findings.size.value_or(0);
            break;
    }
}

// What an earlier transfer of the item kept for this one to go on with.
std::optional<transfer::KeptFile> KeptFileOf(const DownloadItem& item) {
    if (item.temporary_path.empty()) return std::nullopt;
    transfer::KeptFile kept{item.temporary_path, item.kept, std::nullopt, item.validator};
    if (item.size_kind == SizeKind::kKnown) kept.total = item.total_size;
    return kept;
}

// Whether the failure's answer was an error or a web page: whatever size it
// told is not the video's.
bool AnswerWasNoVideo(const Failure& failure) {
    return failure.reason == Reason::kHtmlInsteadOfVideo || failure.http_status >= 400;
}

// Whether a transfer that ended so keeps the bytes it wrote.
bool KeepsItsBytes(const Outcome& outcome) {
    if (outcome.IsCancelled()) return true;
    return outcome.IsFailed() && (outcome.failure().reason == Reason::kConnectionLost ||
                                  outcome.failure().reason == Reason::kStallTimeout);
}

} // namespace

ItemJob::ItemJob(JobServices& services, list::ItemKey key, std::function<void()> on_done)
    : s_(services),
      key_(key),
      on_done_(std::move(on_done)),
      browser_http_(s_.http, kBrowserUserAgent),
      http_(&s_.http) {}

void ItemJob::Change(const std::function<void(DownloadItem&)>& change) {
    s_.queue.Modify(key_, change);
}

void ItemJob::Start() {
    const DownloadItem* item = s_.queue.Find(key_);
    if (item == nullptr) return Finish(Outcome::Cancelled());
    // Taken before the probe tells the size afresh.
    earlier_ = KeptFileOf(*item);
    size_before_ = {item->size_kind, item->total_size};
    Change([](DownloadItem& i) {
        i.state = ItemState::kPreparing;
        i.page_received = 0;
        i.page_size = 0;
        i.received = 0;
        i.failure.reset();
    });
    const bool general = item->site == resolve::kSiteGeneral && s_.html_parsers != nullptr &&
                         s_.reads_other_sites && s_.reads_other_sites();
    if (item->site == resolve::kSiteNone || (item->site == resolve::kSiteGeneral && !general)) {
        return Finish(Outcome::Failed(Reason::kUnsupportedSite), list::NameKind::kUnsupportedLink);
    }
    if (general) {
        http_ = &browser_http_;
        return FindGeneralLink(item->page_address);
    }
    page_fetch_ = std::make_unique<transfer::PageFetch>(*http_, s_.clock, s_.limits);
    page_fetch_->SetReach(reach_);
    page_fetch_->Start(
        item->page_address,
        [this](int64_t received, std::optional<int64_t> size) { OnPageProgress(received, size); },
        [this](transfer::PageFetch::Result result) { OnPage(std::move(result)); });
}

void ItemJob::FindGeneralLink(const std::string& address) {
    general_ = std::make_unique<GeneralLinkFinder>(*http_, s_.clock, *s_.html_parsers, s_.limits);
    general_->SetReach(reach_);
    general_->Start(
        address,
        [this](int64_t received, std::optional<int64_t> size) { OnPageProgress(received, size); },
        [this](GeneralLink found) { OnGeneralLink(std::move(found)); });
}

void ItemJob::OnGeneralLink(GeneralLink found) {
    general_.reset();
    reach_ = platform::ReachAfter(reach_, found.began_public);
    if (found.outcome.IsFailed()) return Finish(found.outcome, list::NameKind::kProcessFailed);
    if (!found.outcome.IsComplete()) return Finish(found.outcome);
    Change([](DownloadItem& i) { i.state = ItemState::kStarting; });
    if (found.video) {
        // The page's own request brings the video: it becomes the transfer.
        if (!NameTheFile(found.link, transfer::FindingsOfAnswer(found.video_answer))) return;
        return TransferFrom(std::move(found.video), found.video_answer);
    }
    if (found.probed) return OnProbed(found.link, std::move(*found.probed));
    ProbeLink(found.link);
}

void ItemJob::OnPageProgress(int64_t received, std::optional<int64_t> size) {
    Change([&](DownloadItem& i) {
        i.page_received = received;
        i.page_size = size.value_or(0);
    });
}

void ItemJob::OnPage(transfer::PageFetch::Result result) {
    page_fetch_.reset();
    reach_ = platform::ReachAfter(reach_, result.began_public);
    if (!result.outcome.IsComplete()) return Finish(result.outcome);
    if (result.http_status >= 400) {
        // An error page is not the page asked for, whatever links it holds.
        return Finish(Outcome::Failed(Reason::kPageNotFetched, {}, result.http_status),
                      list::NameKind::kProcessFailed);
    }
    Change([](DownloadItem& i) { i.state = ItemState::kStarting; });
    const DownloadItem* item = s_.queue.Find(key_);
    if (item == nullptr) return Finish(Outcome::Cancelled());
    const std::string link = resolve::ExtractLink(item->site, item->page_address, result.page);
    if (link.empty()) {
        return Finish(Outcome::Failed(Reason::kNoLinkInPage, {}, result.http_status),
                      list::NameKind::kProcessFailed);
    }
    ProbeLink(link);
}

void ItemJob::ProbeLink(const std::string& link) {
    probe_ = std::make_unique<transfer::Probe>(*http_, s_.clock, s_.limits);
    probe_->SetReach(reach_);
    probe_->Start(
        link, [this, link](transfer::Probe::Result probed) { OnProbed(link, std::move(probed)); });
}

void ItemJob::OnProbed(const std::string& link, transfer::Probe::Result result) {
    probe_.reset();
    reach_ = platform::ReachAfter(reach_, result.began_public);
    // A probe that got no answer in time tells nothing; the transfer decides.
    if (NameTheFile(link, result.findings)) Transfer(link);
}

// Names the item's file from the link and what its answer told, unless the
// user named it; false when the job has ended.
bool ItemJob::NameTheFile(const std::string& link, const transfer::ProbeFindings& findings) {
    const DownloadItem* item = s_.queue.Find(key_);
    if (item == nullptr) {
        Finish(Outcome::Cancelled());
        return false;
    }
    const std::string derived = resolve::DeriveFileName(link, findings.file_name, item->site);
    const bool auto_name = item->name_kind == list::NameKind::kAutoDetect;
    const std::string name =
        auto_name ? FreeName(s_.queue, key_, s_.download_folder(), derived) : std::string();
    Change([&](DownloadItem& i) {
        if (auto_name) {
            i.name_kind = list::NameKind::kNamed;
            i.name = name;
        }
        TakeProbedSize(i, findings);
    });
    return true;
}

// Makes the folder ready and the transfer; the item's name, or none when the
// job has ended.
std::optional<std::string> ItemJob::PrepareTransfer() {
    folder_ = s_.download_folder();
    if (std::optional<Failure> unusable = PrepareFolder(folder_)) {
        Finish(Outcome::Failed(std::move(*unusable)));
        return std::nullopt;
    }
    const DownloadItem* item = s_.queue.Find(key_);
    if (item == nullptr) {
        Finish(Outcome::Cancelled());
        return std::nullopt;
    }
    if (earlier_ && !IsInFolder(earlier_->path, folder_)) DropEarlierFile();
    transfer_ = std::make_unique<transfer::FileTransfer>(*http_, s_.clock, s_.limits);
    transfer_->SetReach(reach_);
    if (s_.background != nullptr) transfer_->SetBackgroundWork(*s_.background);
    return item->name;
}

// The bytes kept in a folder that is no longer the download folder start
// afresh in the new one: the finished file could not always move across.
void ItemJob::DropEarlierFile() {
    transfer::files::Remove(earlier_->path);
    earlier_.reset();
    Change(list::ForgetKeptFile);
}

void ItemJob::Transfer(const std::string& link) {
    const std::optional<std::string> name = PrepareTransfer();
    if (!name) return;
    transfer_->Start(
        link, earlier_,
        [this, name = *name](int attempt) {
            return TemporaryPathFor(folder_, name, key_, attempt);
        },
        [this](const transfer::FileTransfer::Progress& progress) { OnTransferProgress(progress); },
        [this](Outcome outcome) { OnTransferred(std::move(outcome)); });
}

void ItemJob::TransferFrom(std::unique_ptr<platform::HttpExchange> exchange,
                           const platform::HttpAnswer& answer) {
    const std::optional<std::string> name = PrepareTransfer();
    if (!name) return;
    transfer_->Adopt(
        std::move(exchange), answer, earlier_,
        [this, name = *name](int attempt) {
            return TemporaryPathFor(folder_, name, key_, attempt);
        },
        [this](const transfer::FileTransfer::Progress& progress) { OnTransferProgress(progress); },
        [this](Outcome outcome) { OnTransferred(std::move(outcome)); });
}

void ItemJob::OnTransferred(Outcome outcome) {
    const std::string temporary = transfer_->TemporaryPath();
    const int64_t on_disk = transfer_->OnDisk();
    const bool left_as_it_was = transfer_->LeftTheKeptFileAsItWas();
    const bool whole = transfer_->HoldsTheWholeVideo();
    transfer_.reset();
    if (outcome.IsComplete()) {
        const Claimed claimed = ClaimFinalName(s_.files, s_.queue, key_, folder_, temporary);
        if (claimed.name) {
            Change([&](DownloadItem& i) {
                list::ForgetKeptFile(i);
                i.name = *claimed.name;
                // What the file holds, whatever length the server gave or not.
                i.size_kind = SizeKind::kKnown;
                i.total_size = on_disk;
            });
            SyncFolder();
        } else {
            // Never thrown away: the finished file stays the item's, under
            // the temporary name its reason tells.
            Change([&](DownloadItem& i) {
                i.temporary_path = temporary;
                i.kept = on_disk;
            });
            outcome = Outcome::Failed(claimed.failure);
        }
    } else if (KeepsItsBytes(outcome) || left_as_it_was || whole) {
        // An answer that did not go on with the kept bytes says nothing
        // against them: they wait for the next try.
        Change([&](DownloadItem& i) {
            if (!i.temporary_path.empty()) i.kept = on_disk;
        });
    } else {
        // Our own file, made or checked by the transfer: what it holds is of no use.
        if (!temporary.empty()) transfer::files::Remove(temporary);
        Change(list::ForgetKeptFile);
    }
    Finish(outcome);
}

// The file's new name reaches the disk too, best as it can.
void ItemJob::SyncFolder() {
    transfer::files::FileSystem& files = s_.files;
    auto sync = [&files, folder = folder_] { return files.SyncFolder(folder); };
    if (s_.background == nullptr) {
        sync();
        return;
    }
    s_.background->Run(std::move(sync), nullptr);
}

void ItemJob::OnTransferProgress(const transfer::FileTransfer::Progress& progress) {
    if (!downloading_) {
        // The answer began: its size is the one that counts from now on, and
        // the item owns the temporary file its bytes go to.
        downloading_ = true;
        Change([&](DownloadItem& i) {
            i.state = ItemState::kDownloading;
            i.received = progress.received;
            i.temporary_path = transfer_->TemporaryPath();
            i.kept = progress.on_disk;
            i.validator = transfer_->Validator();
            if (progress.size) {
                i.size_kind = SizeKind::kKnown;
                i.total_size = *progress.size;
            } else if (progress.decoded) {
                // The probe's size goes too: with neither a size nor a
                // validator, bytes kept from this answer are asked for afresh.
                i.size_kind = SizeKind::kExistsWithoutSize;
                i.total_size = 0;
            }
        });
        return;
    }
    s_.queue.SetReceived(key_, progress.received);
    s_.queue.SetKept(key_, progress.on_disk);
}

void ItemJob::Cancel() {
    if (done_) return;
    general_.reset();
    page_fetch_.reset();
    probe_.reset();
    // What came is written out first, so that the item knows it is kept.
    const std::optional<int64_t> kept =
        transfer_ ? std::optional<int64_t>(transfer_->Abandon()) : std::nullopt;
    transfer_.reset();
    done_ = true;
    Change([&](DownloadItem& i) {
        i.state = ItemState::kCancelled;
        if (kept && !i.temporary_path.empty()) i.kept = *kept;
    });
}

// The size of the video whose bytes the item still keeps, as it was before
// this try; none when it keeps none.
void ItemJob::TakeSizeOfKeptBytes(DownloadItem& item) const {
    if (item.temporary_path.empty()) {
        item.size_kind = SizeKind::kNone;
        item.total_size = 0;
        return;
    }
    item.size_kind = size_before_.first;
    item.total_size = size_before_.second;
}

void ItemJob::Finish(const Outcome& outcome, std::optional<list::NameKind> placeholder) {
    done_ = true;
    Change([&](DownloadItem& i) {
        switch (outcome.kind()) {
            case Outcome::Kind::kComplete: i.state = ItemState::kComplete; break;
            case Outcome::Kind::kCancelled: i.state = ItemState::kCancelled; break;
            case Outcome::Kind::kFailed:
                i.state = ItemState::kFailed;
                i.failure = outcome.failure();
                if (AnswerWasNoVideo(outcome.failure())) TakeSizeOfKeptBytes(i);
                break;
        }
        if (placeholder) {
            i.name_kind = *placeholder;
            i.name.clear();
        }
    });
    on_done_();
}

} // namespace tarnwick::driver
