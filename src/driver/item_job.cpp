#include "driver/item_job.h"

#include "platform/app_paths.h"
#include "resolve/derived_name.h"
#include "resolve/site_index.h"
#include "resolve/sites/extract_link.h"

#include <filesystem>
#include <limits>
#include <utility>

namespace tarnwick::driver {
namespace {

using list::DownloadItem;
using list::ItemState;
using list::SizeKind;

// The size the probe found, as the item keeps it.
void TakeProbedSize(DownloadItem& item, const transfer::ProbeFindings& findings) {
    if (findings.file_size == -1.0f) {
        item.size_kind = findings.file_exists ? SizeKind::kExistsWithoutSize : SizeKind::kNotFound;
        return;
    }
    constexpr float kLargest = 9.2e18f;
    item.size_kind = SizeKind::kKnown;
    item.total_size = findings.file_size >= kLargest ? std::numeric_limits<int64_t>::max()
                                                     : static_cast<int64_t>(findings.file_size);
}

} // namespace

std::string NumberedName(const std::string& name, int number) {
    const size_t dot = name.rfind('.');
    const std::string suffix = " (" + std::to_string(number) + ")";
    if (dot == std::string::npos || dot == 0) return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

ItemJob::ItemJob(JobServices& services, list::ItemKey key, std::function<void()> on_done)
    : s_(services), key_(key), on_done_(std::move(on_done)) {}

void ItemJob::Change(const std::function<void(DownloadItem&)>& change) {
    s_.queue.Modify(key_, change);
}

void ItemJob::Start() {
    const DownloadItem* item = s_.queue.Find(key_);
    if (item == nullptr) return Finish(Outcome::Cancelled());
    Change([](DownloadItem& i) {
        i.state = ItemState::kPreparing;
        i.page_received = 0;
        i.page_size.reset();
        i.received = 0;
        i.failure.reset();
    });
    if (item->site == resolve::kSiteNone) {
        return Finish(Outcome::Failed(Reason::kUnsupportedSite), list::NameKind::kUnsupportedLink);
    }
    page_fetch_ = std::make_unique<transfer::PageFetch>(s_.http, s_.clock, s_.limits);
    page_fetch_->Start(
        item->page_address,
        [this](int64_t received, std::optional<int64_t> size) { OnPageProgress(received, size); },
        [this](transfer::PageFetch::Result result) { OnPage(std::move(result)); });
}

void ItemJob::OnPageProgress(int64_t received, std::optional<int64_t> size) {
    Change([&](DownloadItem& i) {
        i.page_received = received;
        i.page_size = size;
    });
}

void ItemJob::OnPage(transfer::PageFetch::Result result) {
    page_fetch_.reset();
    if (!result.outcome.IsComplete()) return Finish(result.outcome);
    Change([](DownloadItem& i) { i.state = ItemState::kStarting; });
    const DownloadItem* item = s_.queue.Find(key_);
    if (item == nullptr) return Finish(Outcome::Cancelled());
    const std::string link = resolve::ExtractLink(item->site, item->page_address, result.page);
    if (link.empty()) {
        // An error page that holds no link tells why; otherwise the page has none.
        const Outcome outcome =
            result.http_status >= 400
                ? Outcome::Failed(Reason::kPageNotFetched, {}, result.http_status)
                : Outcome::Failed(Reason::kNoLinkInPage, {}, result.http_status);
        return Finish(outcome, list::NameKind::kProcessFailed);
    }
    probe_ = std::make_unique<transfer::Probe>(s_.http, s_.clock, s_.limits);
    probe_->Start(
        link, [this, link](transfer::Probe::Result probed) { OnProbed(link, std::move(probed)); });
}

void ItemJob::OnProbed(const std::string& link, transfer::Probe::Result result) {
    probe_.reset();
    if (!result.outcome.IsComplete()) return Finish(result.outcome);
    const DownloadItem* item = s_.queue.Find(key_);
    if (item == nullptr) return Finish(Outcome::Cancelled());
    const std::string derived =
        resolve::DeriveFileName(link, result.findings.remote_file_name, item->site);
    const bool auto_name = item->name_kind == list::NameKind::kAutoDetect;
    const std::string name = auto_name ? UniqueName(derived) : std::string();
    Change([&](DownloadItem& i) {
        if (auto_name) {
            i.name_kind = list::NameKind::kNamed;
            i.name = name;
        }
        TakeProbedSize(i, result.findings);
    });
    Transfer(link);
}

// The name, numbered " (2)", " (3)", ... while another item has it.
std::string ItemJob::UniqueName(const std::string& name) const {
    std::string candidate = name;
    for (int number = 2; s_.queue.IsNameTaken(candidate, key_); ++number) {
        candidate = NumberedName(name, number);
    }
    return candidate;
}

void ItemJob::Transfer(const std::string& link) {
    const std::string folder = s_.download_folder();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const DownloadItem* item = s_.queue.Find(key_);
    if (item == nullptr) return Finish(Outcome::Cancelled());
    const std::string local_file = platform::JoinPath(folder, item->name);
    transfer_ = std::make_unique<transfer::FileTransfer>(s_.http, s_.clock, s_.limits);
    transfer_->Start(
        link, local_file,
        [this](int64_t received, std::optional<int64_t> size) {
            OnTransferProgress(received, size);
        },
        [this](Outcome outcome) {
            transfer_.reset();
            Finish(outcome);
        });
}

void ItemJob::OnTransferProgress(int64_t received, std::optional<int64_t> size) {
    if (!downloading_) {
        // The answer began: its length is the size that counts from now on.
        downloading_ = true;
        Change([&](DownloadItem& i) {
            i.state = ItemState::kDownloading;
            i.received = received;
            if (size) {
                i.size_kind = SizeKind::kKnown;
                i.total_size = *size;
            }
        });
        return;
    }
    s_.queue.SetReceived(key_, received);
}

void ItemJob::Cancel() {
    if (done_) return;
    page_fetch_.reset();
    probe_.reset();
    transfer_.reset();
    done_ = true;
    Change([](DownloadItem& i) { i.state = ItemState::kCancelled; });
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
