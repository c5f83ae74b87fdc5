#include "driver/item_job.h"

#include "driver/browser_agent.h"
#include "driver/download_folder.h"
#include "driver/stream_convert.h"
#include "platform/app_paths.h"
#include "resolve/derived_name.h"
#include "resolve/file_naming.h"
#include "resolve/kept_choice.h"
#include "resolve/site_index.h"
#include "resolve/sites/extract_link.h"
#include "transfer/file_system.h"
#include "transfer/inline_work.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <string>
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

// Whether the failure's answer was an error or a web page: whatever size it
// told is not the video's.
bool AnswerWasNoVideo(const Failure& failure) {
    return failure.reason == Reason::kHtmlInsteadOfVideo || failure.http_status >= 400;
}

void ForgetStreamTime(DownloadItem& item) {
    if (!item.rare.IsHeld()) return;
    item.rare->stream_done_ms = 0;
    item.rare->stream_total_ms = 0;
}

// Whether a stream's download that ended so keeps the pieces it wrote for the
// next try: all but those that cannot be trusted or that would fail again.
bool KeepsItsPieces(const Outcome& outcome) {
    if (!outcome.IsFailed()) return true;
    const Reason reason = outcome.failure().reason;
    return reason != Reason::kWriteFailed && reason != Reason::kNotDecrypted;
}

// Whether a transfer that ended so keeps the bytes it wrote.
bool KeepsItsBytes(const Outcome& outcome) {
    if (outcome.IsCancelled()) return true;
    return outcome.IsFailed() && (outcome.failure().reason == Reason::kConnectionLost ||
                                  outcome.failure().reason == Reason::kStallTimeout);
}

// The item's state while the job is in `step`; none where the step leaves
// it as it is.
std::optional<ItemState> StateIn(ItemJob::Step step) {
    using Step = ItemJob::Step;
    switch (step) {
        case Step::kIdle: return std::nullopt;
        case Step::kChoosingReader:
        case Step::kFindingLink:
        case Step::kFetchingPage:
        case Step::kAskingYtDlp: return ItemState::kPreparing;
        case Step::kFollowingLink:
        case Step::kReadingPlaylist:
        case Step::kProbing:
        case Step::kConnecting: return ItemState::kStarting;
        case Step::kDownloading:
        case Step::kConverting: return ItemState::kDownloading;
        case Step::kSettlingFile: return std::nullopt;
        case Step::kComplete: return ItemState::kComplete;
        case Step::kFailed: return ItemState::kFailed;
        case Step::kCancelled: return ItemState::kCancelled;
    }
    return std::nullopt;
}

// The last step of a job that ended so.
ItemJob::Step StepOfOutcome(const Outcome& outcome) {
    switch (outcome.kind()) {
        case Outcome::Kind::kComplete: return ItemJob::Step::kComplete;
        case Outcome::Kind::kFailed: return ItemJob::Step::kFailed;
        case Outcome::Kind::kCancelled: break;
    }
    return ItemJob::Step::kCancelled;
}

} // namespace

std::string WithExtension(const std::string& name, std::string_view extension) {
    const size_t dot = name.find_last_of('.');
    constexpr size_t kLongestExtension = 5;
    const bool has_one =
        dot != std::string::npos && dot > 0 && name.size() - dot <= kLongestExtension + 1;
    return (has_one ? name.substr(0, dot) : name) + std::string(extension);
}

std::optional<transfer::KeptFile> KeptFileOf(const DownloadItem& item) {
    if (item.rare->temporary_path.empty()) return std::nullopt;
    transfer::KeptFile kept{item.rare->temporary_path, item.rare->kept, std::nullopt,
                            item.rare->validator, item.rare->parts};
    if (item.size_kind == SizeKind::kKnown) kept.total = item.total_size;
    return kept;
}

const char* ItemJob::StepName(Step step) {
    switch (step) {
        case Step::kIdle: return "idle";
        case Step::kChoosingReader: return "choosing reader";
        case Step::kFindingLink: return "finding link";
        case Step::kFetchingPage: return "fetching page";
        case Step::kAskingYtDlp: return "asking yt-dlp";
        case Step::kFollowingLink: return "following link";
        case Step::kReadingPlaylist: return "reading playlist";
        case Step::kProbing: return "probing";
        case Step::kConnecting: return "connecting";
        case Step::kDownloading: return "downloading";
        case Step::kConverting: return "converting";
        case Step::kSettlingFile: return "settling file";
        case Step::kComplete: return "complete";
        case Step::kFailed: return "failed";
        case Step::kCancelled: return "cancelled";
    }
    return "?";
}

ItemJob::ItemJob(JobServices& services, list::ItemKey key, std::function<void()> on_done)
    : s_(services),
      key_(key),
      on_done_(std::move(on_done)),
      browser_http_(s_.http, kBrowserUserAgent),
      http_(&s_.http) {}

// The only way from one step to the next. The step under way ends first:
// its object is destroyed, often from inside the handler it called last,
// which each step's class allows. The item then shows the new step's state,
// in the same change as `with`; a step in the same state leaves the item
// alone. A step that goes on with the object of the last is handed it back.
void ItemJob::Enter(Step next, StepWork work, const ItemChange& with) {
    const std::optional<ItemState> before = StateIn(step_);
    const std::optional<ItemState> after = StateIn(next);
    if (next != step_) {
        Trace([&] { return std::string(StepName(step_)) + " -> " + StepName(next); });
    }
    work_ = std::move(work);
    step_ = next;
    if (!with && (!after || after == before)) return;
    Change([&](DownloadItem& i) {
        if (after) i.state = *after;
        if (with) with(i);
    });
}

void ItemJob::Finish(const Outcome& outcome, std::optional<list::NameKind> placeholder) {
    Enter(StepOfOutcome(outcome), std::monostate{}, [&](DownloadItem& i) {
        if (outcome.IsFailed()) {
            i.rare->failure = outcome.failure();
            if (AnswerWasNoVideo(outcome.failure())) TakeSizeOfKeptBytes(i);
        }
        if (placeholder) {
            i.name_kind = *placeholder;
            i.name.clear();
        }
        // A finished video is not resumed: what yt-dlp chose goes with it.
        if (outcome.IsComplete() && i.rare.IsHeld()) i.rare->resolved.clear();
    });
    telling_done_ = true;
    on_done_();
    telling_done_ = false;
}

// The job's item; none once it has left the list, and the job then ends
// cancelled.
const DownloadItem* ItemJob::ItemOrCancel() {
    const DownloadItem* item = s_.queue.Find(key_);
    if (item == nullptr) Finish(Outcome::Cancelled());
    return item;
}

void ItemJob::Change(const ItemChange& change) { s_.queue.Modify(key_, change); }

void ItemJob::Start() {
    assert(step_ == Step::kIdle && "a job starts once");
    const DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return;
    // Taken before the probe tells the size afresh.
    earlier_ = KeptFileOf(*item);
    size_before_ = {item->size_kind, item->total_size};
    Enter(Step::kChoosingReader, std::monostate{}, [](DownloadItem& i) {
        ForgetStreamTime(i);
        i.rare->page_received = 0;
        i.rare->page_size = 0;
        i.received = 0;
        i.rare->failure.reset();
    });
    const bool general = item->site == resolve::kSiteGeneral && s_.html_parsers != nullptr &&
                         s_.reads_other_sites && s_.reads_other_sites();
    if (item->site == resolve::kSiteNone || (item->site == resolve::kSiteGeneral && !general)) {
        return Finish(Outcome::Failed(Reason::kUnsupportedSite), list::NameKind::kUnsupportedLink);
    }
    if (general) {
        http_ = &browser_http_;
        if (std::optional<resolve::YtDlpChoice> kept =
                resolve::ReadKeptChoice(item->rare->resolved)) {
            // Resumed as yt-dlp found it, without asking it again.
            choice_was_kept_ = true;
            return FollowChoice(std::move(*kept));
        }
        return FindGeneralLink(item->page_address);
    }
    FetchPage(item->page_address);
}

void ItemJob::FindGeneralLink(const std::string& address) {
    GeneralLinkFinder& finder =
        Begin<GeneralLinkFinder>(Step::kFindingLink, *http_, s_.clock, *s_.html_parsers, s_.limits);
    finder.Start(
        address,
        [this](int64_t received, std::optional<int64_t> size) { OnPageProgress(received, size); },
        [this](GeneralLink found) { OnGeneralLink(std::move(found)); });
}

void ItemJob::OnGeneralLink(GeneralLink found) {
    reach_ = platform::ReachAfter(reach_, found.began_public);
    if (MayAskYtDlp(found.outcome)) return AskYtDlp();
    if (found.outcome.IsFailed()) return Finish(found.outcome, list::NameKind::kProcessFailed);
    if (!found.outcome.IsComplete()) return Finish(found.outcome);
    Enter(Step::kFollowingLink);
    if (found.playlist) return ReadPlaylist(found.link, found.title);
    if (found.video) {
        // The page's own request brings the video: it becomes the transfer.
        if (!NameTheFile(found.link, transfer::FindingsOfAnswer(found.video_answer))) return;
        return TransferFrom(std::move(found.video), found.video_answer);
    }
    if (found.probed) return OnProbed(found.link, std::move(*found.probed));
    ProbeLink(found.link);
}

void ItemJob::FetchPage(const std::string& address) {
    transfer::PageFetch& fetch =
        Begin<transfer::PageFetch>(Step::kFetchingPage, *http_, s_.clock, s_.limits);
    fetch.Start(
        address,
        [this](int64_t received, std::optional<int64_t> size) { OnPageProgress(received, size); },
        [this](transfer::PageFetch::Result result) { OnPage(std::move(result)); });
}

void ItemJob::OnPageProgress(int64_t received, std::optional<int64_t> size) {
    Change([&](DownloadItem& i) {
        i.rare->page_received = received;
        i.rare->page_size = size.value_or(0);
    });
}

void ItemJob::OnPage(transfer::PageFetch::Result result) {
    reach_ = platform::ReachAfter(reach_, result.began_public);
    if (!result.outcome.IsComplete()) return Finish(result.outcome);
    if (result.http_status >= 400) {
        // An error page is not the page asked for, whatever links it holds.
        return Finish(Outcome::Failed(Reason::kPageNotFetched, {}, result.http_status),
                      list::NameKind::kProcessFailed);
    }
    Enter(Step::kFollowingLink);
    const DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return;
    const std::string link = resolve::ExtractLink(item->site, item->page_address, result.page);
    if (link.empty()) {
        return Finish(Outcome::Failed(Reason::kNoLinkInPage, {}, result.http_status),
                      list::NameKind::kProcessFailed);
    }
    ProbeLink(link);
}

void ItemJob::ProbeLink(const std::string& link) {
    transfer::Probe& probe = Begin<transfer::Probe>(Step::kProbing, *http_, s_.clock, s_.limits);
    probe.Start(
        link, [this, link](transfer::Probe::Result probed) { OnProbed(link, std::move(probed)); });
}

// Also where the general page reader's own probe ends up.
void ItemJob::OnProbed(const std::string& link, transfer::Probe::Result result) {
    Enter(Step::kFollowingLink);
    reach_ = platform::ReachAfter(reach_, result.began_public);
    // A probe that got no answer in time tells nothing; the transfer decides.
    const bool named = choice_
                           ? NameTheFile(link, result.findings,
                                         resolve::DotExtension(choice_->video.ext), choice_title_)
                           : NameTheFile(link, result.findings);
    if (named) Transfer(link);
}

// Names the item's file from the link and what its answer told, unless the
// user named it; false when the job has ended.
bool ItemJob::NameTheFile(const std::string& link, const transfer::ProbeFindings& findings,
                          std::string_view extension, const std::string& title) {
    const DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return false;
    std::string derived;
    if (!title.empty()) {
        // A title is a name as it stands: its dots are no extension.
        derived = resolve::CleanFileName(
                      resolve::CutAtCharacter(title, resolve::kMaxFileName - extension.size())) +
                  std::string(extension);
    } else {
        derived = resolve::DeriveFileName(link, findings.file_name, item->site);
        if (!extension.empty()) derived = WithExtension(derived, extension);
    }
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

// Makes the folder ready and the transfer, and enters its step; what the
// transfer is to call, or none when the job has ended.
std::optional<ItemJob::TransferCalls> ItemJob::PrepareTransfer() {
    folder_ = s_.download_folder();
    if (Status ready = PrepareFolder(folder_); !ready) {
        Finish(Outcome::Failed(ready.failure()));
        return std::nullopt;
    }
    const DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return std::nullopt;
    // Bytes kept in another folder, or pieces of a stream, are no start.
    if (earlier_ && (!IsInFolder(earlier_->path, folder_) || ReadStreamMark(earlier_->validator))) {
        DropEarlierFile();
    }
    transfer::FileTransfer& transfer =
        Begin<transfer::FileTransfer>(Step::kConnecting, *http_, s_.clock, s_.limits);
    if (s_.background != nullptr) transfer.SetBackgroundWork(*s_.background);
    transfer.SetSplit({s_.connections ? std::clamp(s_.connections(), 1, 8) : 1,
                       s_.connection_budget, [this] { OnPartsLaidOut(); }});
    return TransferCalls{
        [this, name = item->name](int attempt) {
            return TemporaryPathFor(folder_, name, key_, attempt);
        },
        [this](const transfer::FileTransfer::Progress& progress) { OnTransferProgress(progress); },
        [this](Outcome outcome) { OnTransferred(std::move(outcome)); }};
}

// The bytes kept in a folder that is no longer the download folder start
// afresh in the new one: the finished file could not always move across.
void ItemJob::DropEarlierFile() {
    RemoveFile(earlier_->path);
    earlier_.reset();
    Change(list::ForgetKeptFile);
}

void ItemJob::Transfer(const std::string& link) {
    std::optional<TransferCalls> calls = PrepareTransfer();
    if (!calls) return;
    TransferUnderWay()->Start(link, earlier_, std::move(calls->temporary_path),
                              std::move(calls->on_progress), std::move(calls->on_done));
}

void ItemJob::TransferFrom(std::unique_ptr<platform::HttpExchange> exchange,
                           const platform::HttpAnswer& answer) {
    std::optional<TransferCalls> calls = PrepareTransfer();
    if (!calls) return;
    TransferUnderWay()->Adopt(std::move(exchange), answer, earlier_,
                              std::move(calls->temporary_path), std::move(calls->on_progress),
                              std::move(calls->on_done));
}

// The transfer the step holds; none in a step without one.
transfer::FileTransfer* ItemJob::TransferUnderWay() {
    auto* held = std::get_if<std::unique_ptr<transfer::FileTransfer>>(&work_);
    return held != nullptr ? held->get() : nullptr;
}

void ItemJob::OnTransferProgress(const transfer::FileTransfer::Progress& progress) {
    if (step_ == Step::kConnecting) {
        // The answer began: its size is the one that counts from now on, and
        // the item owns the temporary file its bytes go to. The transfer goes
        // on into the next step.
        const transfer::FileTransfer& transfer = *TransferUnderWay();
        Enter(Step::kDownloading, std::move(work_), [&](DownloadItem& i) {
            i.received = progress.received;
            i.rare->temporary_path = transfer.TemporaryPath();
            i.rare->kept = progress.on_disk;
            i.rare->validator = transfer.Validator();
            i.rare->parts = transfer.PartsText();
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
    s_.queue.SetKept(key_, progress.on_disk, TransferUnderWay()->PartsText());
}

// Where the parts lie is kept before their bytes come, so that a crash
// never finds bytes counted in a part the list does not know.
void ItemJob::OnPartsLaidOut() {
    const transfer::FileTransfer& transfer = *TransferUnderWay();
    Change([&](DownloadItem& i) {
        i.rare->parts = transfer.PartsText();
        i.rare->kept = transfer.OnDisk();
    });
}

void ItemJob::OnTransferred(Outcome outcome) {
    const transfer::FileTransfer& transfer = *TransferUnderWay();
    const std::string temporary = transfer.TemporaryPath();
    const int64_t on_disk = transfer.OnDisk();
    const bool left_as_it_was = transfer.LeftTheKeptFileAsItWas();
    const bool whole = transfer.HoldsTheWholeVideo();
    const bool parts = transfer.HoldsParts();
    const std::string parts_text = transfer.PartsText();
    Enter(Step::kSettlingFile);
    if (outcome.IsComplete()) {
        outcome = SettleWholeFile(temporary, on_disk);
    } else if (KeepsItsBytes(outcome) || left_as_it_was || whole || parts) {
        // An answer that did not go on with the kept bytes says nothing
        // against them: they wait for the next try.
        Change([&](DownloadItem& i) {
            if (i.rare->temporary_path.empty()) return;
            i.rare->kept = on_disk;
            i.rare->parts = parts_text;
        });
    } else {
        // Our own file, made or checked by the transfer: what it holds is of no use.
        if (!temporary.empty()) RemoveFile(temporary);
        Change(list::ForgetKeptFile);
    }
    if (AskYtDlpAgain(outcome)) return;
    Finish(outcome);
}

// The whole video is in its temporary file: the file takes the item's name.
Outcome ItemJob::SettleWholeFile(const std::string& temporary, int64_t on_disk) {
    const Result<std::string> claimed =
        ClaimFinalName(s_.files, s_.queue, key_, folder_, temporary);
    if (!claimed) {
        // Never thrown away: the finished file stays the item's, under the
        // temporary name its reason tells.
        Change([&](DownloadItem& i) {
            i.rare->temporary_path = temporary;
            i.rare->kept = on_disk;
        });
        return Outcome::Failed(claimed.failure());
    }
    // Complete in the same change: an item that no longer owns its temporary
    // file but is still under way would start afresh after a crash, beside
    // the file it finished.
    Change([&](DownloadItem& i) {
        i.state = ItemState::kComplete;
        list::ForgetKeptFile(i);
        ForgetStreamTime(i);
        i.name = claimed.value();
        // What the file holds, whatever length the server gave or not.
        i.size_kind = SizeKind::kKnown;
        i.total_size = on_disk;
    });
    SyncFolder();
    return Outcome::Complete();
}

void ItemJob::ReadPlaylist(const std::string& address, const std::string& title) {
    piece_requests_.emplace(PieceRequests{*http_, s_.clock, s_.limits, reach_});
    auto made = std::make_unique<HlsDownload>(*piece_requests_, s_.cipher, Background());
    HlsDownload& hls = *made;
    Enter(Step::kReadingPlaylist, std::move(made));
    const bool can_join = s_.children != nullptr && s_.children->Find("ffmpeg").has_value();
    hls.Start(
        address, can_join,
        [this, address, title](const HlsDownload::Plan& plan) {
            OnPlaylistRead(address, title, plan);
        },
        [this](Outcome outcome) { OnStreamWritten(std::move(outcome)); });
}

// The playlists tell what the pieces make: the file is named for it, and
// the pieces go on where an earlier try of the same stream left them, or
// start afresh in a new temporary file.
void ItemJob::OnPlaylistRead(const std::string& link, const std::string& title,
                             const HlsDownload::Plan& plan) {
    stream_plan_ = plan;
    const bool fragmented = plan.format == hls::SegmentFormat::kFmp4;
    const bool mp4 = fragmented || plan.sound_apart;
    if (!NameTheFile(link, {}, mp4 ? ".mp4" : ".ts", title)) return;
    folder_ = s_.download_folder();
    if (Status ready = PrepareFolder(folder_); !ready)
        return Finish(Outcome::Failed(ready.failure()));
    const DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return;
    std::optional<HlsDownload::Earlier> earlier;
    if (earlier_) {
        const auto mark = ReadStreamMark(earlier_->validator);
        if (mark && mark->total == plan.pieces && mark->fingerprint == plan.fingerprint &&
            IsInFolder(earlier_->path, folder_)) {
            earlier = HlsDownload::Earlier{earlier_->path, earlier_->kept, mark->written};
        } else {
            DropEarlierFile();
        }
    }
    HlsDownload& hls = *StreamUnderWay();
    const auto temporary_path = [this, name = item->name](int attempt) {
        return TemporaryPathFor(folder_, name, key_, attempt);
    };
    const auto sound_path = [this, name = WithExtension(item->name, ".sound")](int attempt) {
        return TemporaryPathFor(folder_, name, key_, attempt);
    };
    const auto on_progress = [this](const PieceDownload::Progress& progress) {
        Change([&](DownloadItem& i) {
            i.received = progress.on_disk;
            i.rare->stream_done_ms = progress.done_ms;
            i.rare->stream_total_ms = progress.total_ms;
            // Two files are no start for a later try.
            if (stream_plan_.sound_apart) return;
            i.rare->kept = progress.on_disk;
            i.rare->validator =
                StreamMark({progress.written, progress.total, stream_plan_.fingerprint});
        });
    };
    const auto on_done = [this](Outcome outcome) { OnStreamWritten(std::move(outcome)); };
    Status writing = hls.Write(earlier, temporary_path, sound_path, on_progress, on_done);
    if (!writing && earlier) {
        // The earlier pieces are gone or cut short: they start afresh.
        DropEarlierFile();
        earlier.reset();
        writing = hls.Write(std::nullopt, temporary_path, sound_path, on_progress, on_done);
    }
    if (!writing) return Finish(Outcome::Failed(writing.failure()));
    Enter(Step::kDownloading, std::move(work_), [&](DownloadItem& i) {
        i.received = hls.OnDisk();
        i.rare->temporary_path = hls.TemporaryPath();
        i.rare->kept = hls.OnDisk();
        i.rare->validator =
            plan.sound_apart
                ? std::string()
                : StreamMark({earlier ? earlier->written : 0, plan.pieces, plan.fingerprint});
        i.size_kind = SizeKind::kStreamed;
        i.total_size = 0;
        i.rare->stream_done_ms = hls.PlayingTimeOf(earlier ? earlier->written : 0);
        i.rare->stream_total_ms = hls.PlayingTimeOf(plan.pieces);
    });
}

// The streamed video the step holds; none in a step without one.
HlsDownload* ItemJob::StreamUnderWay() {
    auto* held = std::get_if<std::unique_ptr<HlsDownload>>(&work_);
    return held != nullptr ? held->get() : nullptr;
}

void ItemJob::OnStreamWritten(Outcome outcome) {
    const HlsDownload& hls = *StreamUnderWay();
    const std::string temporary = hls.TemporaryPath();
    const int64_t on_disk = hls.OnDisk();
    converting_sound_ = hls.SoundPath();
    const bool convert =
        stream_plan_.format == hls::SegmentFormat::kMpegTs || stream_plan_.sound_apart;
    if (outcome.IsComplete() && convert && s_.children != nullptr) {
        if (const std::optional<std::string> ffmpeg = s_.children->Find("ffmpeg")) {
            return Convert(*ffmpeg, temporary, on_disk);
        }
    }
    if (stream_plan_.sound_apart) {
        // The picture without its sound is no video.
        if (outcome.IsComplete()) outcome = Outcome::Failed(Reason::kSoundSeparate);
        return DropStreamFiles(outcome, temporary, std::string());
    }
    Enter(Step::kSettlingFile);
    if (outcome.IsComplete()) {
        outcome = SettleWholeFile(temporary, on_disk);
    } else if (!temporary.empty() && !KeepsItsPieces(outcome)) {
        RemoveFile(temporary);
        Change(list::ForgetKeptFile);
    }
    if (AskYtDlpAgain(outcome)) return;
    Finish(outcome);
}

// The pieces (MPEG-TS) become an MP4 beside them; the item keeps them until
// the MP4 is whole.
void ItemJob::Convert(const std::string& ffmpeg, const std::string& pieces, int64_t on_disk) {
    const DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return;
    const std::string name = WithExtension(item->name, converted_extension_);
    std::string converted;
    for (int attempt = 1; converted.empty() || transfer::files::Exists(converted); ++attempt) {
        converted = TemporaryPathFor(folder_, name, key_, attempt);
    }
    converting_to_ = converted;
    platform::ChildRequest request{
        ffmpeg, RemuxArguments(pieces, converting_sound_, converted, stream_plan_.aac,
                               converted_extension_.substr(1))};
    std::unique_ptr<platform::Child> child = s_.children->Start(
        std::move(request), [this, pieces, on_disk, converted](platform::ChildEnd end) {
            OnConverted(end, pieces, on_disk, converted);
        });
    Enter(Step::kConverting, std::move(child));
}

void ItemJob::OnConverted(const platform::ChildEnd& end, const std::string& pieces, int64_t on_disk,
                          const std::string& converted) {
    std::optional<std::string> failure = ConversionFailure(end);
    if (!failure && !transfer::files::SizeOf(converted)) failure = "ffmpeg wrote nothing";
    if (failure) return KeepPieces(*failure, pieces, on_disk, converted);
    // A power cut after the MP4 takes its name must not leave it short.
    platform::BackgroundWork::Ticket syncing = Background().Run(
        [converted] { return transfer::files::SyncFile(converted); },
        [this, pieces, on_disk, converted](int error) {
            if (transfer::files::BytesMayBeLost(error)) {
                return KeepPieces(transfer::files::FileError(error).detail, pieces, on_disk,
                                  converted);
            }
            Enter(Step::kSettlingFile);
            RemoveFile(pieces);
            if (!converting_sound_.empty()) RemoveFile(converting_sound_);
            Change([this](DownloadItem& i) {
                list::ForgetKeptFile(i);
                i.name = WithExtension(i.name, converted_extension_);
            });
            Finish(SettleWholeFile(converted, transfer::files::SizeOf(converted).value_or(0)));
        });
    Enter(Step::kConverting, std::move(syncing));
}

// The pieces are the video all the same: kept under their own name, with
// the reason the MP4 is missing.
void ItemJob::KeepPieces(const std::string& why, const std::string& pieces, int64_t on_disk,
                         const std::string& converted) {
    if (stream_plan_.sound_apart) {
        return DropStreamFiles(Outcome::Failed(Reason::kNotJoined, why), pieces, converted);
    }
    Enter(Step::kSettlingFile);
    if (transfer::files::Exists(converted)) RemoveFile(converted);
    const Outcome outcome = SettleWholeFile(pieces, on_disk);
    if (outcome.IsComplete()) {
        Change([&](DownloadItem& i) {
            i.rare->failure =
                Failure{Reason::kNotJoined, 0, why + "; the video is kept as " + i.name};
        });
    }
    Finish(outcome);
}

// A picture and its sound that were not joined are of no use: they go, with
// what ffmpeg made of them.
void ItemJob::DropStreamFiles(const Outcome& outcome, const std::string& picture,
                              const std::string& converted) {
    Enter(Step::kSettlingFile);
    for (const std::string& path : {picture, converting_sound_, converted}) {
        if (!path.empty() && transfer::files::Exists(path)) RemoveFile(path);
    }
    Change(list::ForgetKeptFile);
    if (AskYtDlpAgain(outcome)) return;
    Finish(outcome);
}

platform::BackgroundWork& ItemJob::Background() {
    if (s_.background != nullptr) return *s_.background;
    if (!own_background_) own_background_ = std::make_unique<transfer::InlineWork>(s_.clock);
    return *own_background_;
}

// A file of the item's that is of no more use goes. One that cannot go
// stays a stray, which the next start sweeps; the trace tells of it.
void ItemJob::RemoveFile(const std::string& path) {
    const Status removed = transfer::files::Remove(path);
    if (removed) return;
    Trace([&] { return path + " not removed (" + removed.failure().detail + ")"; });
}

// A line of the run's trace about this job's item.
void ItemJob::Trace(const std::function<std::string()>& make) {
    if (s_.trace == nullptr) return;
    s_.trace->Note(platform::TraceArea::kRun,
                   [&] { return "item " + std::to_string(key_) + ": " + make(); });
}

// The file's new name reaches the disk too, best as it can.
void ItemJob::SyncFolder() {
    transfer::files::FileSystem& files = s_.files;
    auto sync = [&files, folder = folder_] {
        return transfer::files::ErrorNumberOf(files.SyncFolder(folder));
    };
    if (s_.background == nullptr) {
        // Best as it can: a folder that cannot be synced still has the name.
        (void)sync();
        return;
    }
    s_.background->Run(std::move(sync), nullptr);
}

void ItemJob::Cancel() {
    if (IsDone()) return;
    // What came is written out first, so that the item knows it is kept.
    transfer::FileTransfer* transfer = TransferUnderWay();
    const std::optional<int64_t> kept =
        transfer != nullptr ? std::optional<int64_t>(transfer->Abandon()) : std::nullopt;
    const std::string parts = transfer != nullptr ? transfer->PartsText() : std::string();
    const bool converting = step_ == Step::kConverting;
    // A sound apart is never kept for a later try.
    if (const HlsDownload* stream = StreamUnderWay(); stream != nullptr) {
        converting_sound_ = stream->SoundPath();
    }
    // Nor is a picture whose sound came apart.
    if (const PairDownload* pair = PairUnderWay(); pair != nullptr) {
        pair_picture_ = pair->PicturePath();
        converting_sound_ = pair->SoundPath();
    }
    if (!converting_sound_.empty() && transfer::files::Exists(converting_sound_)) {
        RemoveFile(converting_sound_);
    }
    Enter(Step::kCancelled, std::monostate{}, [&](DownloadItem& i) {
        if (kept && !i.rare->temporary_path.empty()) {
            i.rare->kept = *kept;
            i.rare->parts = parts;
        }
    });
    // What ffmpeg made so far is of no use; the pieces stay the item's.
    if (converting && transfer::files::Exists(converting_to_)) RemoveFile(converting_to_);
    if (!pair_picture_.empty() && transfer::files::Exists(pair_picture_)) {
        RemoveFile(pair_picture_);
    }
}

// The size of the video whose bytes the item still keeps, as it was before
// this try; none when it keeps none.
void ItemJob::TakeSizeOfKeptBytes(DownloadItem& item) const {
    if (item.rare->temporary_path.empty()) {
        item.size_kind = SizeKind::kNone;
        item.total_size = 0;
        return;
    }
    item.size_kind = size_before_.first;
    item.total_size = size_before_.second;
}

} // namespace tarnwick::driver
