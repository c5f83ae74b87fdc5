// The item job's resolvers: each way from a page address to a plan (a
// site's page and extractor, the general page reader, a probe of the link,
// the reading of a stream's playlists).
#include "driver/item_job.h"

#include "resolve/sites/extract_link.h"

#include <utility>

namespace tarnwick::driver {

void ItemJob::FindGeneralLink(const std::string& address) {
    GeneralLinkFinder& finder = Begin<GeneralLinkFinder>(Step::kFindingLink, requests_,
                                                         *s_.html_parsers, preferences_.max_height);
    finder.Start(
        address,
        [this](int64_t received, std::optional<int64_t> size) { OnPageProgress(received, size); },
        [this](GeneralLink found) { OnGeneralLink(std::move(found)); });
}

void ItemJob::OnGeneralLink(GeneralLink found) {
    page_title_ = found.title;
    if (found.page_read) page_subtitles_ = std::move(found.subtitles);
    if (MayAskYtDlp(found.outcome)) return AskYtDlp();
    if (found.outcome.IsFailed()) return Finish(found.outcome, list::NameKind::kProcessFailed);
    if (!found.outcome.IsComplete()) return Finish(found.outcome);
    Enter(Step::kFollowingLink);
    if (found.playlist) return ReadStream(found.link, found.title);
    if (found.opened) {
        // The page's own request brings the file: it becomes the download.
        Plan plan{found.link, FileSource{found.link, std::nullopt, found.opened}};
        plan.findings = transfer::FindingsOfAnswer(found.opened->answer.head);
        return StartDownload(std::move(plan));
    }
    if (found.probed) return OnProbed(found.link, std::move(*found.probed));
    ProbeLink(found.link);
}

void ItemJob::FetchPage(const std::string& address) {
    transfer::PageFetch& fetch = Begin<transfer::PageFetch>(Step::kFetchingPage, requests_);
    fetch.Start(
        address,
        [this](int64_t received, std::optional<int64_t> size) { OnPageProgress(received, size); },
        [this](transfer::PageFetch::Result result) { OnPage(std::move(result)); });
}

void ItemJob::OnPageProgress(int64_t received, std::optional<int64_t> size) {
    if (ahead_) return;
    Change([&](list::DownloadItem& i) {
        i.rare->page_received = received;
        i.rare->page_size = size.value_or(0);
    });
}

void ItemJob::OnPage(transfer::PageFetch::Result result) {
    if (!result.outcome.IsComplete()) return Finish(result.outcome);
    if (result.http_status >= 400) {
        // An error page is not the page asked for, whatever links it holds.
        return Finish(Outcome::Failed(Reason::kPageNotFetched, {}, result.http_status),
                      list::NameKind::kProcessFailed);
    }
    Enter(Step::kFollowingLink);
    const list::DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return;
    const std::string link = resolve::ExtractLink(item->site, item->page_address, result.page);
    if (link.empty()) {
        return Finish(Outcome::Failed(Reason::kNoLinkInPage, {}, result.http_status),
                      list::NameKind::kProcessFailed);
    }
    ProbeLink(link);
}

void ItemJob::ProbeLink(const std::string& link) {
    transfer::Probe& probe = Begin<transfer::Probe>(Step::kProbing, requests_);
    probe.Start(
        link, [this, link](transfer::Probe::Result probed) { OnProbed(link, std::move(probed)); });
}

// Also where the general page reader's own probe ends up. A probe that got
// no answer in time tells nothing; the download decides.
void ItemJob::OnProbed(const std::string& link, transfer::Probe::Result result) {
    Enter(Step::kFollowingLink);
    Plan plan{link, FileSource{link}};
    plan.findings = result.findings;
    if (choice_) {
        plan.picture = FileSource{link, choice_->video.size};
        plan.extension = resolve::DotExtension(choice_->video.ext);
        TakeChoiceInto(plan);
    } else {
        plan.title = page_title_;
    }
    StartDownload(std::move(plan));
}

void ItemJob::ReadStream(const std::string& address, const std::string& title) {
    StreamReading& reading =
        Begin<StreamReading>(Step::kReadingPlaylist, requests_, preferences_.max_height,
                             preferences_.sound_only != resolve::SoundOnly::kOff);
    const bool can_join = s_.children != nullptr && s_.children->Find("ffmpeg").has_value();
    reading.Start(address, can_join, [this, address, title](Result<Plan> plan) {
        if (!plan) return Finish(Outcome::Failed(plan.failure()));
        Enter(Step::kFollowingLink);
        plan.value().link = address;
        plan.value().title = title;
        if (choice_) TakeChoiceInto(plan.value());
        StartDownload(std::move(plan.value()));
    });
}

} // namespace tarnwick::driver
