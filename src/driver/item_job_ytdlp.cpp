// The item job's part that asks yt-dlp for the video of a page that the
// general page reader found nothing usable in, and follows its choice.
#include "driver/item_job.h"

#include "driver/resolver_headers.h"
#include "list/add_video_url.h"
#include "resolve/file_naming.h"
#include "resolve/kept_choice.h"

#include <utility>

namespace tarnwick::driver {
namespace {

using list::DownloadItem;

// Whether an answer that ended so is of a link that may have expired.
bool LinkMayHaveExpired(const Outcome& outcome) {
    if (!outcome.IsFailed()) return false;
    const int status = outcome.failure().http_status;
    return status == 403 || status == 410;
}

} // namespace

// The yt-dlp to ask, when the user lets it be used and has one.
std::optional<std::string> ItemJob::YtDlpProgram() const {
    if (s_.ytdlp == nullptr || s_.children == nullptr) return std::nullopt;
    if (!s_.uses_ytdlp || !s_.uses_ytdlp()) return std::nullopt;
    return s_.ytdlp->Find();
}

// yt-dlp is asked where the page reader found nothing usable: no link, a
// page that answered with an error, a DASH manifest, a page for a video.
bool ItemJob::MayAskYtDlp(const Outcome& outcome) const {
    if (!outcome.IsFailed()) return false;
    const Failure& failure = outcome.failure();
    switch (failure.reason) {
        case Reason::kNoLinkInPage:
        case Reason::kStreamedVideo:
        case Reason::kHtmlInsteadOfVideo: break;
        case Reason::kPageNotFetched:
            if (failure.http_status >= 400) break;
            return false;
        default: return false;
    }
    return YtDlpProgram().has_value();
}

void ItemJob::AskYtDlp() {
    const std::optional<std::string> program = YtDlpProgram();
    const DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return;
    s_.ytdlp->NoteUse();
    auto made = std::make_unique<YtDlpAsk>(*s_.children, s_.clock);
    YtDlpAsk& ask = *made;
    Enter(Step::kAskingYtDlp, std::move(made));
    ask.Start(
        *program, item->page_address,
        [this](Result<resolve::YtDlpAnswer> answer) { OnYtDlpAnswer(std::move(answer)); },
        LoginForYtDlp(item->rare->context, logins_));
}

void ItemJob::OnYtDlpAnswer(Result<resolve::YtDlpAnswer> answer) {
    if (!answer) {
        return Finish(Outcome::Failed(answer.failure()), list::NameKind::kProcessFailed);
    }
    if (answer.value().is_playlist) return AddPlaylist(answer.value());
    const bool can_join = s_.children->Find("ffmpeg").has_value();
    Result<resolve::YtDlpChoice> choice =
        resolve::ChooseDownload(answer.value(), can_join, preferences_);
    if (!choice) return Finish(Outcome::Failed(choice.failure()), list::NameKind::kProcessFailed);
    if (choice_was_kept_ && choice_ && choice.value().video.size != choice_->video.size &&
        earlier_) {
        // Another size is another video: the bytes kept are of no use.
        for (const std::string& path : transfer::PathsOf(*earlier_))
            (void)transfer::files::Remove(path);
        earlier_.reset();
        s_.queue.SetKept(key_, std::nullopt);
    }
    Change([&](DownloadItem& i) { i.rare->resolved = resolve::KeepChoice(choice.value()); });
    FollowChoice(std::move(choice.value()));
}

// A playlist's entries are listed as the user's own addresses would be; the
// playlist's item gives way to them.
void ItemJob::AddPlaylist(const resolve::YtDlpAnswer& answer) {
    const DownloadItem* playlist = s_.queue.Find(key_);
    const handoff::ItemContext context =
        playlist ? playlist->rare->context : handoff::ItemContext{};
    int added = 0;
    int before = 0;
    for (size_t i = 0; i < answer.entries.size(); ++i) {
        const std::string& entry = answer.entries[i];
        const list::DownloadQueue::AddResult result =
            s_.add_address ? s_.add_address(entry, answer.entry_identities[i])
                           : list::AddVideoURL(s_.queue, entry, true);
        if (result == list::DownloadQueue::AddResult::kDownloadedBefore) ++before;
        if (result != list::DownloadQueue::AddResult::kAdded) continue;
        ++added;
        // Added last; its file is named by the title it was listed with
        // where nothing better is found. The entries go with what the
        // browser said of their playlist, and keep what the playlist was
        // read with: its own choice, or the settings of that moment.
        const std::string& title = answer.entry_titles[i];
        s_.queue.Modify(s_.queue.LastKey(), [&](DownloadItem& d) {
            d.rare->origin = list::Origin::kPlaylist;
            d.rare->identity = answer.entry_identities[i];
            if (!title.empty()) d.rare->title = title;
            if (!context.empty()) d.rare->context = context;
            d.rare->choice = preferences_;
        });
    }
    const DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return;
    const std::string title = answer.title.empty() ? item->page_address : answer.title;
    std::string told = "Added " + std::to_string(added) + " videos from " + title;
    if (before > 0) told += "; " + std::to_string(before) + " downloaded before were left out";
    if (s_.tell) s_.tell(told);
    const list::ItemKey key = key_;
    list::DownloadQueue& queue = s_.queue;
    // The job ends as a stopped one does, so that no one is told of a
    // finished or failed download; being done, the run lets it be as its
    // item goes.
    Finish(Outcome::Cancelled());
    queue.Remove(key);
}

// The requests go with the headers yt-dlp named, as its choice says.
void ItemJob::FollowChoice(resolve::YtDlpChoice choice) {
    choice_ = std::move(choice);
    UseResolverHeaders(requests_, choice_->video.headers);
    Enter(Step::kFollowingLink);
    if (choice_->audio) {
        Plan plan{choice_->video.url, FileSource{choice_->video.url, choice_->video.size},
                  FileSource{choice_->audio->url, choice_->audio->size}};
        plan.extension = "." + choice_->join_container;
        plan.container = choice_->join_container;
        TakeChoiceInto(plan);
        return StartDownload(std::move(plan));
    }
    if (choice_->video.kind == resolve::PartKind::kHls) {
        return ReadStream(choice_->video.url, ChoiceTitle());
    }
    ProbeLink(choice_->video.url);
}

// Whether yt-dlp is asked once more for a kept choice whose link expired;
// the bytes kept go on where the new link has the same video.
bool ItemJob::AskYtDlpAgain(const Outcome& outcome) {
    if (!choice_was_kept_ || asked_again_ || !LinkMayHaveExpired(outcome)) return false;
    if (!YtDlpProgram()) return false;
    const DownloadItem* item = s_.queue.Find(key_);
    if (item == nullptr) return false;
    asked_again_ = true;
    earlier_ = item->rare->kept;
    AskYtDlp();
    return true;
}

// What the choice says beyond its sources: the title, the sound alone, the
// subtitles and what the item tells of those missing.
void ItemJob::TakeChoiceInto(Plan& plan) const {
    plan.title = ChoiceTitle();
    if (choice_->sound) {
        plan.sound_only = choice_->sound;
        plan.container = resolve::SoundExtension(choice_->sound->kept_as);
        plan.extension = "." + plan.container;
    }
    plan.subtitles = choice_->subtitles.chosen;
    plan.subtitles_inside = preferences_.subtitles_inside;
    if (!choice_->subtitles.missing.empty())
        plan.note = resolve::MissingSubtitlesNote(choice_->subtitles.missing);
}

// yt-dlp's title, or the page's own where yt-dlp found none.
std::string ItemJob::ChoiceTitle() const {
    std::string title = resolve::TitleOf(*choice_);
    if (title == resolve::kEnterFileName && !page_title_.empty()) return page_title_;
    return title;
}

} // namespace tarnwick::driver
