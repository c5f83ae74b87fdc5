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

// An answer that came with an earlier entry's is taken as it is; one on its
// way is waited for.
void ItemJob::AskYtDlp() {
    const DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return;
    YtDlpAnswers* answers = s_.ytdlp_answers;
    if (answers == nullptr || asked_again_) return AskYtDlpAlone(true);
    const int after = s_.queue.PositionOf(key_) + 1;
    if (std::optional<resolve::YtDlpAnswer> kept = answers->Take(item->page_address)) {
        Trace([] { return std::string("takes the answer yt-dlp gave with an earlier entry"); });
        KeepAnswersComing(after, *item, kMostCompanions + 1);
        return OnYtDlpAnswer(std::move(*kept));
    }
    if (!answers->IsComing(item->page_address)) return AskYtDlpAlone(true);
    KeepAnswersComing(after, *item, kMostCompanions + 1);
    Enter(Step::kAskingYtDlp,
          answers->Await(item->page_address, [this](std::optional<resolve::YtDlpAnswer> answer) {
              if (!answer) return AskYtDlpAlone(false);
              OnYtDlpAnswer(std::move(*answer));
          }));
}

// yt-dlp asked about this item's page, and about the next entries of its
// playlist where `with_companions` allows.
void ItemJob::AskYtDlpAlone(bool with_companions) {
    const std::optional<std::string> program = YtDlpProgram();
    const DownloadItem* item = ItemOrCancel();
    if (item == nullptr) return;
    s_.ytdlp->NoteUse();
    auto made = std::make_unique<YtDlpAsk>(*s_.children, s_.clock);
    YtDlpAsk& ask = *made;
    const YtDlpLogin login = LoginForYtDlp(item->rare->context, logins_);
    const int after = s_.queue.PositionOf(key_) + 1;
    std::vector<std::string> companions =
        with_companions && s_.ytdlp_answers != nullptr
            ? CompanionsFrom(after, *item, nullptr, kItemsCompanions)
            : std::vector<std::string>();
    const bool asks_more = !companions.empty();
    if (asks_more) ask.AskAlsoAbout(std::move(companions), *s_.ytdlp_answers);
    Enter(Step::kAskingYtDlp, std::move(made));
    if (asks_more) KeepAnswersComing(after, *item, kMostCompanions + 1);
    ask.Start(
        *program, item->page_address,
        [this, asks_more](Result<resolve::YtDlpAnswer> answer) {
            // Its words for another address may stand for this one's: asked
            // alone, it says what went wrong here.
            if (!answer && asks_more) return AskYtDlpAlone(false);
            OnYtDlpAnswer(std::move(answer));
        },
        login);
}

// The entries of a playlist listed from `from` on like `like`, still waiting
// and asked about by no one, whose yt-dlp would be asked as this one's is:
// with no login or browser context of their own. Those asked about already
// are counted in `covered`.
std::vector<std::string> ItemJob::CompanionsFrom(int from, const DownloadItem& like,
                                                 size_t* covered, size_t most) const {
    std::vector<std::string> companions;
    if (covered != nullptr) *covered = 0;
    const YtDlpLogin login = LoginForYtDlp(like.rare->context, logins_);
    if (like.rare->origin != list::Origin::kPlaylist || !login.referrer.empty() ||
        !login.user_agent.empty() || !login.cookies.empty() || !login.cookies_from_browser.empty())
        return companions;
    const list::DownloadQueue& queue = s_.queue;
    const int end = std::min(queue.Count(), from + 64);
    for (int position = from; position < end && companions.size() < most; ++position) {
        const DownloadItem& next = queue.At(position);
        if (next.state != list::ItemState::kWaiting ||
            next.rare->origin != list::Origin::kPlaylist || next.site != like.site ||
            !next.rare->resolved.empty() || !next.rare->context.empty()) {
            continue;
        }
        if (s_.ytdlp_answers->Has(next.page_address)) {
            if (covered != nullptr) ++*covered;
            continue;
        }
        companions.push_back(next.page_address);
    }
    return companions;
}

// Where few of the entries from `from` on are asked about, a yt-dlp of the
// run's own is asked about the next ones, beside this one's; `most` of them.
void ItemJob::KeepAnswersComing(int from, const DownloadItem& like, size_t most) {
    YtDlpAnswers* answers = s_.ytdlp_answers;
    if (answers == nullptr || !answers->MayAskAhead()) return;
    size_t covered = 0;
    std::vector<std::string> next = CompanionsFrom(from, like, &covered, most);
    const std::optional<std::string> program = YtDlpProgram();
    if (next.empty() || covered >= kMostCompanions / 2 || !program) return;
    const std::string first = next.front();
    next.erase(next.begin());
    auto ask = std::make_unique<YtDlpAsk>(*s_.children, s_.clock);
    if (!next.empty()) ask->AskAlsoAbout(std::move(next), *answers);
    Trace([] { return std::string("asks yt-dlp about entries ahead of their turns"); });
    answers->AskAhead(std::move(ask), *program, first);
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
    if (added > 0) {
        // Their yt-dlp is asked at once: a few first, to start soon, and the
        // next ones beside them.
        const int first = s_.queue.Count() - added;
        const DownloadItem& entry = s_.queue.At(first);
        KeepAnswersComing(first, entry, kItemsCompanions + 1);
        KeepAnswersComing(first, entry, kMostCompanions + 1);
    }
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
