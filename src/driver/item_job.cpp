#include "driver/item_job.h"

#include "driver/browser_agent.h"
#include "driver/download_folder.h"
#include "driver/stream_convert.h"
#include "platform/app_paths.h"
#include "resolve/derived_name.h"
#include "resolve/file_naming.h"
#include "resolve/kept_choice.h"
#include "resolve/site_index.h"
#include "resolve/video_identity.h"
#include "transfer/file_system.h"
#include "transfer/inline_work.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <chrono>
#include <string>
#include <utility>

namespace tarnwick::driver {
namespace {

using list::DownloadItem;
using list::ItemState;
using list::SizeKind;
using Step = ItemJob::Step;

// What the probe found of the size, as the item keeps it; what the probe
// could not tell stays unknown for the download to learn.
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

// An item that starts shows nothing of an earlier try.
void ResetForStart(DownloadItem& item) {
    ForgetStreamTime(item);
    item.rare->page_received = 0;
    item.rare->page_size = 0;
    item.received = 0;
    item.rare->failure.reset();
}

// The item's state while the job is in `step`; none where the step leaves
// it as it is.
std::optional<ItemState> StateIn(Step step) {
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
        case Step::kConverting:
        case Step::kFetchingSubtitles: return ItemState::kDownloading;
        case Step::kSettlingFile: return std::nullopt;
        case Step::kComplete: return ItemState::kComplete;
        case Step::kFailed: return ItemState::kFailed;
        case Step::kCancelled: return ItemState::kCancelled;
    }
    return std::nullopt;
}

// The last step of a job that ended so.
Step StepOfOutcome(const Outcome& outcome) {
    switch (outcome.kind()) {
        case Outcome::Kind::kComplete: return Step::kComplete;
        case Outcome::Kind::kFailed: return Step::kFailed;
        case Outcome::Kind::kCancelled: break;
    }
    return Step::kCancelled;
}

constexpr unsigned Bit(Step step) { return 1u << static_cast<unsigned>(step); }

// The steps each step may go on to, besides itself (with new work) and the
// outcomes. Complete is reached from settling the file only.
constexpr std::array<unsigned, ItemJob::kSteps> kNextSteps = [] {
    std::array<unsigned, ItemJob::kSteps> next{};
    const auto allow = [&next](Step from, unsigned to) { next[static_cast<size_t>(from)] = to; };
    allow(Step::kIdle, Bit(Step::kChoosingReader));
    allow(Step::kChoosingReader,
          Bit(Step::kFindingLink) | Bit(Step::kFetchingPage) | Bit(Step::kFollowingLink));
    allow(Step::kFindingLink, Bit(Step::kFollowingLink) | Bit(Step::kAskingYtDlp));
    allow(Step::kFetchingPage, Bit(Step::kFollowingLink));
    allow(Step::kAskingYtDlp, Bit(Step::kFollowingLink));
    allow(Step::kFollowingLink,
          Bit(Step::kReadingPlaylist) | Bit(Step::kProbing) | Bit(Step::kConnecting));
    allow(Step::kReadingPlaylist, Bit(Step::kFollowingLink));
    allow(Step::kProbing, Bit(Step::kFollowingLink));
    allow(Step::kConnecting, Bit(Step::kDownloading) | Bit(Step::kSettlingFile));
    allow(Step::kDownloading,
          Bit(Step::kConverting) | Bit(Step::kFetchingSubtitles) | Bit(Step::kSettlingFile));
    allow(Step::kConverting, Bit(Step::kFetchingSubtitles) | Bit(Step::kSettlingFile));
    allow(Step::kFetchingSubtitles, Bit(Step::kConverting) | Bit(Step::kSettlingFile));
    allow(Step::kSettlingFile, Bit(Step::kAskingYtDlp) | Bit(Step::kComplete));
    return next;
}();

// Notes as one text: "First. Second".
std::string JoinedNotes(const std::vector<std::string>& notes) {
    std::string joined;
    for (const std::string& note : notes) joined += (joined.empty() ? "" : ". ") + note;
    return joined;
}

bool Contains(const std::vector<std::string>& paths, const std::string& path) {
    return std::find(paths.begin(), paths.end(), path) != paths.end();
}

} // namespace

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
        case Step::kFetchingSubtitles: return "fetching subtitles";
        case Step::kSettlingFile: return "settling file";
        case Step::kComplete: return "complete";
        case Step::kFailed: return "failed";
        case Step::kCancelled: return "cancelled";
    }
    return "?";
}

bool ItemJob::MayEnter(Step from, Step to) {
    if (from >= Step::kComplete) return false;
    if (from == to) return true;
    if (to == Step::kFailed || to == Step::kCancelled) return true;
    return (kNextSteps[static_cast<size_t>(from)] & Bit(to)) != 0;
}

ItemJob::ItemJob(JobServices& services, list::ItemKey key, std::function<void()> on_done)
    : s_(services),
      key_(key),
      on_done_(std::move(on_done)),
      requests_{s_.http,
                s_.clock,
                s_.limits,
                s_.connection_budget,
                platform::HttpRequest::Reach::kFirstDecides,
                {},
                {},
                {},
                s_.trace,
                "item " + std::to_string(key)} {}

// The only way from one step to the next. The step under way ends first:
// its object is destroyed, often from inside the handler it called last,
// which each step's class allows. The item then shows the new step's state,
// in the same change as `with`; a step in the same state leaves the item
// alone. A step that goes on with the object of the last is handed it back.
void ItemJob::Enter(Step next, StepWork work, const ItemChange& with) {
    assert(MayEnter(step_, next) && "the job goes only where its steps lead");
    const std::optional<ItemState> before = StateIn(step_);
    const std::optional<ItemState> after = StateIn(next);
    if (next != step_) {
        Trace([&] { return std::string(StepName(step_)) + " -> " + StepName(next); });
    }
    work_ = std::move(work);
    step_ = next;
    // Ahead of its turn, the item shows nothing of the job.
    if (ahead_) return;
    const list::Activity activity = ActivityIn(next);
    const bool activity_changed = activity != activity_;
    if (activity_changed) BeginActivity(activity);
    if (!with && !activity_changed && (!after || after == before)) return;
    Change([&](DownloadItem& i) {
        if (after) i.state = *after;
        if (activity_changed && (activity != list::Activity::kNone || i.rare.IsHeld())) {
            i.rare->activity = activity;
            i.rare->activity_seconds = 0;
        }
        if (with) with(i);
    });
}

list::Activity ItemJob::ActivityIn(Step step) const {
    if (step == Step::kAskingYtDlp) return list::Activity::kAskingYtDlp;
    if (step == Step::kConverting) return converting_as_;
    if (step == Step::kFetchingSubtitles) return list::Activity::kFetchingSubtitles;
    return list::Activity::kNone;
}

// The item's seconds of waiting are counted from now, once a second.
void ItemJob::BeginActivity(list::Activity activity) {
    activity_ = activity;
    activity_since_ = s_.clock.Now();
    if (!activity_timer_) activity_timer_ = s_.clock.NewTimer([this] { TickActivity(); });
    if (activity == list::Activity::kNone) return activity_timer_->Stop();
    activity_timer_->Start(std::chrono::seconds(1));
}

void ItemJob::TickActivity() {
    const auto waited =
        std::chrono::duration_cast<std::chrono::seconds>(s_.clock.Now() - activity_since_);
    activity_timer_->Start(std::chrono::seconds(1));
    Change([&](DownloadItem& i) { i.rare->activity_seconds = waited.count(); });
}

void ItemJob::Finish(const Outcome& outcome, std::optional<list::NameKind> placeholder,
                     const ItemChange& with) {
    if (ahead_) {
        // The item stays as it was: its turn finds out afresh, and shows it.
        Trace([] { return std::string("ends ahead of its turn"); });
        Enter(Step::kCancelled);
        return TellDone();
    }
    if (outcome.IsFailed()) {
        Trace([&] {
            const Failure& failure = outcome.failure();
            return "fails for reason " + std::to_string(static_cast<int>(failure.reason)) +
                   (failure.http_status != 0 ? ", status " + std::to_string(failure.http_status)
                                             : std::string()) +
                   (failure.detail.empty() ? std::string() : ": " + failure.detail);
        });
    }
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
        // Nor is it asked for again: what the browser said of it goes too.
        if (outcome.IsComplete() && i.rare.IsHeld()) {
            i.rare->resolved.clear();
            i.rare->context = {};
        }
        if (with) with(i);
    });
    TellDone();
}

void ItemJob::TellDone() {
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
    if (ahead_) return TakeTurn();
    Resolve();
}

void ItemJob::StartAhead() {
    ahead_ = true;
    Resolve();
}

bool ItemJob::IsResolving() const {
    return step_ > Step::kIdle && step_ < Step::kConnecting && !parked_;
}

std::optional<platform::TimePoint> ItemJob::ResolvedAt() const {
    if (!parked_) return std::nullopt;
    return parked_at_;
}

// The item's turn came: it shows where the job is, and a plan found ahead
// goes on to its download.
void ItemJob::TakeTurn() {
    ahead_ = false;
    if (ItemOrCancel() == nullptr) return;
    Trace([] { return std::string("takes its turn"); });
    BeginActivity(ActivityIn(step_));
    Change([&](DownloadItem& i) {
        ResetForStart(i);
        if (const std::optional<ItemState> state = StateIn(step_)) i.state = *state;
        if (activity_ != list::Activity::kNone || i.rare.IsHeld()) {
            i.rare->activity = activity_;
            i.rare->activity_seconds = 0;
        }
    });
    if (!parked_) return;
    Plan plan = std::move(*parked_);
    parked_.reset();
    DownloadPlan(std::move(plan));
}

void ItemJob::Resolve() {
    assert(step_ == Step::kIdle && "a job starts once");
    const DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return;
    // Taken before the probe tells the size afresh.
    earlier_ = item->rare->kept;
    size_before_ = {item->size_kind, item->total_size};
    Enter(Step::kChoosingReader, std::monostate{}, ResetForStart);
    // What a browser handed over is read as the user asked, whatever its site.
    const bool general =
        item->site == resolve::kSiteGeneral && s_.html_parsers != nullptr &&
        ((s_.reads_other_sites && s_.reads_other_sites()) || !item->rare->context.empty());
    if (item->site == resolve::kSiteNone || (item->site == resolve::kSiteGeneral && !general)) {
        return Finish(Outcome::Failed(Reason::kUnsupportedSite), list::NameKind::kUnsupportedLink);
    }
    // Pages of other sites and their videos are asked for as a browser would,
    // and those a browser handed over as it asked for them.
    if (general) requests_.user_agent = kBrowserUserAgent;
    logins_ = s_.logins ? s_.logins() : UserLogins{};
    // The item's own choice, else the settings as they are now.
    preferences_ = item->rare->choice ? *item->rare->choice
                   : s_.preferences   ? s_.preferences()
                                      : resolve::QualityPreferences{};
    UseItemContext(requests_, item->rare->context, logins_.cookies);
    if (!general) return FetchPage(item->page_address);
    if (std::optional<resolve::YtDlpChoice> kept = resolve::ReadKeptChoice(item->rare->resolved)) {
        // Resumed as yt-dlp found it, without asking it again.
        choice_was_kept_ = true;
        return FollowChoice(std::move(*kept));
    }
    FindGeneralLink(item->page_address);
}

// Names the item's file by the plan, unless the user named it; false when
// the job has ended.
bool ItemJob::NameTheFile(const Plan& plan) {
    const DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return false;
    // The title the item was listed with stands in where its resolver found none.
    const bool untitled = plan.title.empty() || plan.title == resolve::kEnterFileName;
    const std::string& title =
        untitled && !item->rare->title.empty() ? item->rare->title : plan.title;
    const std::string derived =
        resolve::NameOfFile(title, plan.link, plan.findings.file_name, item->site, plan.extension,
                            plan.findings.media_type);
    const bool auto_name = item->name_kind == list::NameKind::kAutoDetect;
    const std::string name =
        auto_name ? FreeName(s_.queue, key_, s_.download_folder(), derived) : std::string();
    Change([&](DownloadItem& i) {
        if (auto_name) {
            i.name_kind = list::NameKind::kNamed;
            i.name = name;
        }
        TakeProbedSize(i, plan.findings);
    });
    return true;
}

// Where only the sound is wanted of a video that a page or a stream gave
// (not yt-dlp, which chose a sound of its own), ffmpeg takes it out: copied
// into M4A where it is AAC, as a page's MP4 and a stream's AAC pieces are.
// The subtitles of a page the general reader read go with its video.
// So do those of a stream's master playlist.
void ItemJob::TakePageSubtitlesInto(Plan& plan) const {
    if (choice_ || preferences_.subtitle_languages.empty()) return;
    if (!page_subtitles_ && !plan.offered_subtitles) return;
    std::vector<resolve::SubtitleOffer> offers =
        page_subtitles_.value_or(std::vector<resolve::SubtitleOffer>());
    if (plan.offered_subtitles)
        offers.insert(offers.end(), plan.offered_subtitles->begin(), plan.offered_subtitles->end());
    const resolve::SubtitleChoice chosen = resolve::ChooseSubtitles(offers, preferences_);
    plan.subtitles = chosen.chosen;
    plan.subtitles_inside = preferences_.subtitles_inside;
    if (!chosen.missing.empty()) plan.note = resolve::MissingSubtitlesNote(chosen.missing);
}

void ItemJob::TakeSoundOnlyInto(Plan& plan) const {
    if (plan.sound_only || preferences_.sound_only == resolve::SoundOnly::kOff) return;
    resolve::SoundOutput sound;
    sound.kept_as = preferences_.sound_only;
    const auto* stream = std::get_if<StreamSource>(&plan.picture);
    sound.copy = sound.kept_as == resolve::SoundOnly::kM4a && (stream == nullptr || stream->aac);
    sound.from_video = true;
    sound.title =
        plan.title.empty() || plan.title == resolve::kEnterFileName ? page_title_ : plan.title;
    if (stream != nullptr && !stream->elapsed_ms.empty())
        sound.playing_ms = stream->elapsed_ms.back();
    plan.sound_only = sound;
    plan.container = resolve::SoundExtension(sound.kept_as);
    plan.extension = "." + plan.container;
}

// Whether the sound of the plan can be made here: with ffmpeg, or as the
// AAC file it comes as.
bool ItemJob::CanMakeSound(const Plan& plan) const {
    if (s_.children != nullptr && s_.children->Find("ffmpeg")) return true;
    const resolve::SoundOutput& sound = *plan.sound_only;
    return sound.kept_as == resolve::SoundOnly::kM4a && sound.copy && !sound.from_video &&
           std::holds_alternative<FileSource>(plan.picture) && !plan.sound;
}

// Whatever the resolver, the plan is downloaded the same way: the file is
// named, what an earlier try kept goes on where it fits, and the plan's
// download fills the item's temporary files.
void ItemJob::StartDownload(Plan plan) {
    TakeSoundOnlyInto(plan);
    TakePageSubtitlesInto(plan);
    if (plan.sound_only && !CanMakeSound(plan)) {
        return Finish(Outcome::Failed(
            Reason::kNeedsFfmpeg, "Sound only as " + resolve::SoundName(plan.sound_only->kept_as)));
    }
    if (!NameTheFile(plan)) return;
    if (!ahead_) return DownloadPlan(std::move(plan));
    // Found ahead of the item's turn: the plan waits for it.
    Trace([] { return std::string("found ahead of its turn"); });
    parked_ = std::move(plan);
    parked_at_ = s_.clock.Now();
    TellDone();
}

void ItemJob::DownloadPlan(Plan plan) {
    folder_ = s_.download_folder();
    if (Status ready = PrepareFolder(folder_); !ready) {
        return Finish(Outcome::Failed(ready.failure()));
    }
    const DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return;
    plan_ = std::move(plan);
    const std::optional<transfer::Kept> kept = KeptFitting(plan_);
    const DownloadServices services{
        requests_,
        Background(),
        s_.cipher,
        s_.connections ? std::clamp(s_.connections(), 1, 16) : 1,
        [this](const std::string& name) -> transfer::PartFile::PathChooser {
            return [this, name](int attempt) {
                return TemporaryPathFor(folder_, name, key_, attempt);
            };
        },
        s_.extras_when_held_back};
    std::unique_ptr<driver::Download> made = MakeDownload(plan_, services, item->name);
    driver::Download& download = *made;
    Enter(Step::kConnecting, std::move(made));
    download.Start(kept, {[this](const driver::Download::Progress& p) { OnProgress(p); },
                          [this] { s_.queue.SetKept(key_, DownloadUnderWay()->Keep()); },
                          [this](Outcome outcome) { OnDownloaded(std::move(outcome)); }});
}

// What the earlier try kept that this plan's download can go on with; the
// rest goes. Files kept in a folder that is no longer the download folder
// start afresh in the new one: the finished file could not always move.
std::optional<transfer::Kept> ItemJob::KeptFitting(const Plan& plan) {
    if (!earlier_) return std::nullopt;
    std::optional<transfer::Kept> fitting = FittingKept(plan, *earlier_);
    if (fitting) {
        for (const std::string& path : transfer::PathsOf(*fitting)) {
            if (!IsInFolder(path, folder_)) fitting.reset();
            if (!fitting) break;
        }
    }
    const std::vector<std::string> kept =
        fitting ? transfer::PathsOf(*fitting) : std::vector<std::string>{};
    for (const std::string& path : transfer::PathsOf(*earlier_)) {
        if (!Contains(kept, path)) RemoveFile(path);
    }
    if (fitting != earlier_) s_.queue.SetKept(key_, fitting);
    earlier_ = fitting;
    return fitting;
}

// The download the step holds; none in a step without one.
Download* ItemJob::DownloadUnderWay() {
    auto* held = std::get_if<std::unique_ptr<driver::Download>>(&work_);
    return held != nullptr ? held->get() : nullptr;
}

void ItemJob::OnProgress(const driver::Download::Progress& progress) {
    const driver::Download& download = *DownloadUnderWay();
    const auto shown = [&](DownloadItem& i) {
        i.received = progress.received;
        if (progress.streamed) {
            i.size_kind = SizeKind::kStreamed;
            i.total_size = 0;
            i.rare->stream_done_ms = progress.done_ms;
            i.rare->stream_total_ms = progress.total_ms;
        } else if (progress.size) {
            i.size_kind = SizeKind::kKnown;
            i.total_size = *progress.size;
        } else if (progress.decoded) {
            // The probe's size goes too: with neither a size nor a validator,
            // bytes kept from this answer are asked for afresh.
            i.size_kind = SizeKind::kExistsWithoutSize;
            i.total_size = 0;
        }
    };
    if (step_ == Step::kConnecting) {
        // The download began: its size is the one that counts from now on,
        // and the item owns the temporary files its bytes go to.
        return Enter(Step::kDownloading, std::move(work_), [&](DownloadItem& i) {
            shown(i);
            i.rare->kept = download.Keep();
        });
    }
    if (progress.streamed) {
        Change(shown);
    } else {
        s_.queue.SetReceived(key_, progress.received);
    }
    s_.queue.SetKept(key_, download.Keep());
}

void ItemJob::OnDownloaded(Outcome outcome) {
    const driver::Download& download = *DownloadUnderWay();
    const std::optional<transfer::Kept> kept = download.Keep();
    const std::vector<std::string> files = download.Files();
    // Kept before anything is made of them, so that a crash keeps them.
    s_.queue.SetKept(key_, kept);
    if (outcome.IsComplete()) {
        const Finishing finishing = FinishingOf(plan_);
        if (finishing == Finishing::kNone) return VideoWhole(files.front(), {});
        if (s_.children != nullptr) {
            if (const std::optional<std::string> ffmpeg = s_.children->Find("ffmpeg")) {
                return Convert(*ffmpeg, files);
            }
        }
        // MPEG-TS pieces are the video all the same, and an AAC file an M4A;
        // a picture without its sound is none.
        if (finishing == Finishing::kRemux) return VideoWhole(files.front(), {});
        if (finishing == Finishing::kSound && CanMakeSound(plan_)) {
            return VideoWhole(files.front(), {});
        }
        outcome =
            finishing == Finishing::kSound
                ? Outcome::Failed(Reason::kNeedsFfmpeg,
                                  "Sound only as " + resolve::SoundName(plan_.sound_only->kept_as))
                : Outcome::Failed(Reason::kSoundSeparate);
    }
    Enter(Step::kSettlingFile);
    KeepOrDrop(kept, files);
    if (AskYtDlpAgain(outcome)) return;
    Finish(outcome);
}

// The item keeps what its download kept; the download's other files go.
void ItemJob::KeepOrDrop(const std::optional<transfer::Kept>& kept,
                         const std::vector<std::string>& files) {
    s_.queue.SetKept(key_, kept);
    const std::vector<std::string> keeping =
        kept ? transfer::PathsOf(*kept) : std::vector<std::string>{};
    for (const std::string& file : files) {
        if (!file.empty() && !Contains(keeping, file) && transfer::files::Exists(file)) {
            RemoveFile(file);
        }
    }
}

// What came becomes one file with ffmpeg beside it: the pieces of a stream
// an MP4 (or Matroska) file, a picture and its sound one video. The item
// keeps what came until that file is whole.
void ItemJob::Convert(const std::string& ffmpeg, const std::vector<std::string>& inputs) {
    const DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return;
    const std::string name = resolve::WithExtension(item->name, "." + plan_.container);
    const std::string converted = FreeTemporaryPath(folder_, name, key_);
    converting_to_ = converted;
    converting_as_ = plan_.sound_only           ? list::Activity::kMakingSound
                     : inputs.size() > 1        ? list::Activity::kJoining
                     : plan_.container == "mkv" ? list::Activity::kConvertingToMkv
                                                : list::Activity::kConvertingToMp4;
    const auto* stream = std::get_if<StreamSource>(&plan_.picture);
    platform::ChildRequest request{
        ffmpeg, plan_.sound_only
                    // Of a picture and its sound apart, the sound.
                    ? SoundArguments(inputs.back(), converted, *plan_.sound_only)
                    : RemuxArguments(inputs.front(), inputs.size() > 1 ? inputs[1] : std::string(),
                                     converted, stream != nullptr && stream->aac, plan_.container)};
    std::unique_ptr<platform::Child> child = s_.children->Start(
        std::move(request),
        [this, inputs, converted](platform::ChildEnd end) { OnConverted(end, inputs, converted); });
    Enter(Step::kConverting, std::move(child));
}

void ItemJob::OnConverted(const platform::ChildEnd& end, const std::vector<std::string>& inputs,
                          const std::string& converted) {
    // The inputs stay until what ffmpeg made is shown to hold them.
    ConversionInput given;
    for (const std::string& input : inputs)
        given.bytes += transfer::files::SizeOf(input).value_or(0);
    const auto* stream = std::get_if<StreamSource>(&plan_.picture);
    if (stream != nullptr && !stream->elapsed_ms.empty())
        given.playing_ms = stream->elapsed_ms.back();
    const int64_t made_bytes = transfer::files::SizeOf(converted).value_or(0);
    if (plan_.sound_only && plan_.sound_only->playing_ms)
        given.playing_ms = plan_.sound_only->playing_ms;
    const Status made = plan_.sound_only ? CheckSoundConversion(end, made_bytes, given)
                                         : CheckConversion(end, made_bytes, given);
    if (!made) return ConversionFailed(made.failure().detail, inputs, converted);
    // A power cut after the file takes its name must not leave it short.
    platform::BackgroundWork::Ticket syncing = Background().Run(
        [converted] { return transfer::files::SyncFile(converted); },
        [this, inputs, converted](int error) {
            if (transfer::files::BytesMayBeLost(error)) {
                return ConversionFailed(transfer::files::FileError(error).detail, inputs,
                                        converted);
            }
            Change([this](DownloadItem& i) {
                i.name = resolve::WithExtension(i.name, "." + plan_.container);
            });
            made_video_ = converted;
            if (plan_.sound_only && plan_.sound_only->from_video)
                notes_.push_back("The sound was taken out of the video with ffmpeg");
            VideoWhole(converted, inputs);
        });
    Enter(Step::kConverting, std::move(syncing));
}

// What ffmpeg made goes. The pieces of a stream are the video all the same:
// kept under their own name, with the reason the MP4 is missing. A picture
// and its sound stay the item's for a later try.
void ItemJob::ConversionFailed(const std::string& why, const std::vector<std::string>& inputs,
                               const std::string& converted) {
    if (transfer::files::Exists(converted)) RemoveFile(converted);
    if (FinishingOf(plan_) == Finishing::kRemux) return Settle(inputs.front(), {}, why);
    Enter(Step::kSettlingFile);
    Finish(Outcome::Failed(plan_.sound_only ? Reason::kSoundNotMade : Reason::kNotJoined, why));
}

// The whole video is in `temporary`: the file takes the item's name, and
// what it was made from goes. `note`, when given, says why the file is not
// what was meant to be made of it.
void ItemJob::Settle(const std::string& temporary, const std::vector<std::string>& inputs,
                     const std::string& note) {
    Enter(Step::kSettlingFile);
    const int64_t on_disk = transfer::files::SizeOf(temporary).value_or(0);
    const Result<std::string> claimed =
        ClaimFinalName(s_.files, s_.queue, key_, folder_, temporary);
    for (const std::string& input : inputs) RemoveFile(input);
    if (claimed) PlaceSubtitlesBeside(claimed.value());
    for (const FetchedSubtitle& subtitle : std::exchange(subtitles_, {})) RemoveFile(subtitle.path);
    if (!claimed) {
        // Never thrown away: the finished file stays the item's, under the
        // temporary name its reason tells.
        s_.queue.SetKept(key_, transfer::KeptWhole{temporary, on_disk, on_disk, {}});
        return Finish(Outcome::Failed(claimed.failure()));
    }
    SyncFolder();
    // Complete in the same change: an item that no longer owns its temporary
    // file but is still under way would start afresh after a crash, beside
    // the file it finished.
    const std::string identity = IdentityOfVideo(on_disk);
    Finish(Outcome::Complete(), std::nullopt, [&](DownloadItem& i) {
        list::ForgetKeptFile(i);
        ForgetStreamTime(i);
        i.name = claimed.value();
        i.rare->identity = identity;
        i.rare->completed_path = platform::JoinPath(folder_, claimed.value());
        i.rare->completed_at = WallSeconds();
        // What the file holds, whatever length the server gave or not.
        i.size_kind = SizeKind::kKnown;
        i.total_size = on_disk;
        if (!note.empty()) {
            i.rare->failure =
                Failure{Reason::kNotJoined, 0, note + "; the video is kept as " + i.name};
        } else if (!notes_.empty() || !plan_.note.empty()) {
            std::vector<std::string> notes = notes_;
            if (!plan_.note.empty()) notes.insert(notes.begin(), plan_.note);
            i.rare->failure = Failure{Reason::kNote, 0, JoinedNotes(notes)};
        }
    });
}

// Which video the item is, as the history knows it: yt-dlp's, the site's, or
// else the file's of `size` bytes.
std::string ItemJob::IdentityOfVideo(int64_t size) {
    if (choice_ && !choice_->identity.empty()) return choice_->identity;
    const DownloadItem* item = s_.queue.Find(key_);
    if (item == nullptr) return {};
    if (!item->rare->identity.empty()) return item->rare->identity;
    if (std::string site = resolve::SiteIdentity(item->site, item->page_address); !site.empty())
        return site;
    // The download's record, kept with the item until the file is named.
    std::string validator;
    if (const std::optional<transfer::Kept>& kept = item->rare->kept) {
        if (const auto* whole = std::get_if<transfer::KeptWhole>(&*kept))
            validator = whole->validator;
        if (const auto* parts = std::get_if<transfer::KeptParts>(&*kept))
            validator = parts->validator;
    }
    return resolve::FileIdentity(plan_.link, size, validator);
}

int64_t ItemJob::WallSeconds() const {
    return s_.wall_seconds ? s_.wall_seconds() : platform::SystemWallSeconds();
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
void ItemJob::Trace(const std::function<std::string()>& make) { requests_.Note(make); }

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

// Ends the step under way. What came is written out first, so that the item
// knows what it keeps; what ffmpeg made so far is of no use.
void ItemJob::Cancel() {
    if (IsDone()) return;
    driver::Download* download = DownloadUnderWay();
    std::optional<transfer::Kept> kept;
    std::vector<std::string> files;
    if (download != nullptr) {
        download->Abandon();
        kept = download->Keep();
        files = download->Files();
    }
    const bool converting = step_ == Step::kConverting || step_ == Step::kFetchingSubtitles;
    Enter(Step::kCancelled, std::monostate{}, [&](DownloadItem& i) {
        if (download != nullptr) i.rare->kept = kept;
    });
    if (download != nullptr) KeepOrDrop(kept, files);
    if (converting && transfer::files::Exists(converting_to_)) RemoveFile(converting_to_);
    if (converting && !made_video_.empty() && transfer::files::Exists(made_video_))
        RemoveFile(made_video_);
    for (const FetchedSubtitle& subtitle : std::exchange(subtitles_, {})) RemoveFile(subtitle.path);
}

// The size of the video whose bytes the item still keeps, as it was before
// this try; none when it keeps none.
void ItemJob::TakeSizeOfKeptBytes(DownloadItem& item) const {
    if (!item.rare->kept) {
        item.size_kind = SizeKind::kNone;
        item.total_size = 0;
        return;
    }
    item.size_kind = size_before_.first;
    item.total_size = size_before_.second;
}

} // namespace tarnwick::driver
