#include "driver/general_link.h"

#include "hls/hls_detection.h"
#include "resolve/page_address.h"
#include "transfer/answer_kind.h"

#include <algorithm>
#include <utility>

namespace tarnwick::driver {

void GeneralLinkFinder::Start(const std::string& address, ProgressHandler on_page_progress,
                              DoneHandler on_done) {
    address_ = address;
    on_page_progress_ = std::move(on_page_progress);
    on_done_ = std::move(on_done);
    // Asked first whether it is a video itself; a link to a video file surely is.
    probe_ = std::make_unique<transfer::Probe>(requests_);
    probe_->Start(address_,
                  [this](transfer::Probe::Result result) { OnAddressProbed(std::move(result)); });
}

void GeneralLinkFinder::OnAddressProbed(transfer::Probe::Result result) {
    probe_.reset();
    if (hls::IsHlsAddress(address_) || hls::IsHlsContentType(result.findings.media_type)) {
        GeneralLink found;
        found.outcome = Outcome::Complete();
        found.link = address_;
        found.playlist = true;
        return Finish(std::move(found));
    }
    if (hls::IsDashAddress(address_)) {
        GeneralLink found;
        found.outcome = Outcome::Failed(Reason::kStreamedVideo);
        return Finish(std::move(found));
    }
    const bool file =
        transfer::IsFileMediaType(result.findings.media_type) || result.findings.attachment;
    if (file || resolve::IsDirectVideoLink(address_)) {
        GeneralLink found{Outcome::Complete(), address_, false, {}, std::move(result), nullptr};
        return Finish(std::move(found));
    }
    ReadPage();
}

void GeneralLinkFinder::ReadPage() {
    reader_ = std::make_unique<resolve::PageReader>(address_);
    parser_ = parsers_.NewParser(*reader_);
    page_fetch_ = std::make_unique<transfer::PageFetch>(requests_);
    page_fetch_->StreamTo([this](const char* data, size_t size) {
        constexpr size_t kOpening = 64;
        if (opening_.size() < kOpening)
            opening_.append(data, std::min(size, kOpening - opening_.size()));
        parser_->Feed(data, size);
    });
    page_fetch_->HandOverFiles();
    page_fetch_->Start(address_, on_page_progress_,
                       [this](transfer::PageFetch::Result result) { OnPage(std::move(result)); });
}

void GeneralLinkFinder::OnPage(transfer::PageFetch::Result result) {
    page_fetch_.reset();
    GeneralLink found;
    if (result.file) {
        found.outcome = Outcome::Complete();
        found.link = address_;
        found.opened = std::make_shared<OpenedFetch>(OpenedFetch{
            std::move(result.file), std::move(result.file_answer), std::move(result.file_start)});
        return Finish(std::move(found));
    }
    if (!result.outcome.IsComplete()) {
        found.outcome = result.outcome;
        return Finish(std::move(found));
    }
    if (result.http_status >= 400) {
        // An error page is not the page asked for, whatever video it shows.
        found.outcome = Outcome::Failed(Reason::kPageNotFetched, {}, result.http_status);
        return Finish(std::move(found));
    }
    if (hls::IsHlsBody(opening_)) {
        found.outcome = Outcome::Complete();
        found.link = result.address.empty() ? address_ : result.address;
        found.playlist = true;
        return Finish(std::move(found));
    }
    // A reader that failed partway keeps what it found before.
    (void)parser_->Finish();
    if (!result.address.empty()) reader_->SetPageAddress(result.address);
    const resolve::PageVerdict verdict = reader_->Verdict(max_height_);
    found.title = verdict.title;
    found.page_read = true;
    found.subtitles = verdict.subtitles;
    if (!verdict.link.empty()) {
        found.outcome = Outcome::Complete();
        found.link = verdict.link;
        found.playlist = verdict.playlist;
    } else {
        found.outcome =
            Outcome::Failed(verdict.reason.value_or(Reason::kNoLinkInPage), {}, result.http_status);
    }
    Finish(std::move(found));
}

void GeneralLinkFinder::Finish(GeneralLink found) {
    parser_.reset();
    reader_.reset();
    const DoneHandler done = std::move(on_done_);
    done(std::move(found));
}

} // namespace tarnwick::driver
