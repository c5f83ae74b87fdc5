// One item's way from page address to file: a resolver (its site's
// extractor, the general page reader, yt-dlp, the reading of a stream's
// playlists) ends in a plan; the file is named; the plan's download fills
// its temporary files, from where an earlier try left them; ffmpeg joins or
// converts them where the plan calls for it; and the file takes its name in
// the download folder. Each step is asynchronous; the item in the queue
// shows where the job is, and ends complete, failed with a reason, or
// cancelled.
#pragma once

#include "common/outcome.h"
#include "driver/download.h"
#include "driver/general_link.h"
#include "driver/item_login.h"
#include "driver/plan.h"
#include "driver/stream_reading.h"
#include "driver/subtitle_fetching.h"
#include "driver/ytdlp_answers.h"
#include "driver/ytdlp_ask.h"
#include "driver/ytdlp_tool.h"
#include "list/download_queue.h"
#include "platform/background_work.h"
#include "platform/child_process.h"
#include "platform/clock.h"
#include "platform/html_parser.h"
#include "platform/http_client.h"
#include "platform/piece_cipher.h"
#include "platform/trace.h"
#include "resolve/ytdlp_answer.h"
#include "transfer/connection_budget.h"
#include "transfer/fetch.h"
#include "transfer/file_system.h"
#include "transfer/page_fetch.h"
#include "transfer/probe.h"
#include "transfer/time_limits.h"

#include <cassert>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace tarnwick::driver {

// What the jobs of a run work with.
struct JobServices {
    list::DownloadQueue& queue;
    platform::HttpClient& http;
    platform::Clock& clock;
    // The folder the files go to, asked when each download begins.
    std::function<std::string()> download_folder;
    transfer::TimeLimits limits = {};
    // The general page reader's parsers, and whether it is switched on;
    // without both, addresses of no supported site are not supported.
    platform::HtmlParserFactory* html_parsers = nullptr;
    std::function<bool()> reads_other_sites = {};
    // How finished files take their names.
    transfer::files::FileSystem& files = transfer::files::SystemFileSystem();
    // Where files and their folder are synced to the disk; without, each
    // sync runs at once, on the event loop's thread.
    platform::BackgroundWork* background = nullptr;
    // Where each step change is written; none writes nowhere.
    platform::Trace* trace = nullptr;
    // Decrypts the pieces of encrypted streams; without, they fail.
    const platform::PieceCipher* cipher = nullptr;
    // Runs ffmpeg, where the user has it, to join and convert.
    platform::ChildProcesses* children = nullptr;
    // Asked for the video of another site's page that the page reader could
    // not find, where the user has yt-dlp and lets it be used.
    YtDlpTool* ytdlp = nullptr;
    std::function<bool()> uses_ytdlp = {};
    // Tells the user something on the status line.
    std::function<void(const std::string& text)> tell = {};
    // Lists an address the run found (a playlist's entry) as the user's own
    // would be listed; without, it is listed as it is.
    std::function<list::DownloadQueue::AddResult(const std::string& address,
                                                 const std::string& identity)>
        add_address = {};
    // How many items the run has under way at most, 1 to 4; none is 1.
    std::function<int()> downloads_at_once = {};
    // The most connections one file is fetched over, 1 to 16; none is 1.
    std::function<int()> connections = {};
    // The connections of all the run's requests together.
    transfer::ConnectionBudget* connection_budget = nullptr;
    // Whether a file opens its further connections only once its first is
    // found held back, rather than at once.
    bool extras_when_held_back = false;
    // The user's logins, asked when each item starts; none has none.
    std::function<UserLogins()> logins = {};
    // The quality the user prefers, asked when each item starts; none takes
    // the best there is, in MP4 where it can.
    std::function<resolve::QualityPreferences()> preferences = {};
    // The time of day, in seconds since 1970 (UTC), that a completion is
    // remembered at; none takes the system's.
    std::function<int64_t()> wall_seconds = {};
    // Whether the run finds the next items' videos while others download.
    bool resolve_ahead = false;
    // Where yt-dlp's answers for a playlist's next entries wait for them;
    // without, each entry's yt-dlp is asked about that entry alone.
    YtDlpAnswers* ytdlp_answers = nullptr;
};

class ItemJob {
public:
    // Where the job is. Each step holds the object that does its work, if
    // any; entering the next step ends it. The item's state follows the step.
    enum class Step : uint8_t {
        kIdle,              // not started; the item is as it was
        kChoosingReader,    // Preparing: the item starts afresh, its page's reader is chosen
        kFindingLink,       // Preparing: the general page reader looks for the video
        kFetchingPage,      // Preparing: the page is fetched for its site's extractor
        kAskingYtDlp,       // Preparing: yt-dlp is asked what the page holds
        kFollowingLink,     // Starting: the link is taken and the file named
        kReadingPlaylist,   // Starting: a streamed video's playlists are read
        kProbing,           // Starting: the link is asked what it holds
        kConnecting,        // Starting: the download waits for its first answer
        kDownloading,       // Downloading: the video's bytes arrive
        kConverting,        // Downloading: ffmpeg joins or converts what came
        kFetchingSubtitles, // Downloading: the video is whole; its subtitles are fetched
        kSettlingFile,      // the download ended: its files are named, kept or dropped
        // The outcomes, last: the job is done in any of them.
        kComplete,
        kFailed,
        kCancelled,
    };
    static constexpr size_t kSteps = static_cast<size_t>(Step::kCancelled) + 1;
    // The step's name, as a trace would show it.
    static const char* StepName(Step step);
    // Whether the job may go from one step to the other.
    static bool MayEnter(Step from, Step to);

    // `on_done` is called once the item has its outcome, from inside the
    // job's last step, and for a job ahead of its turn also once it has found
    // what to download: the job must not be destroyed from inside it.
    ItemJob(JobServices& services, list::ItemKey key, std::function<void()> on_done);
    // Ends the step under way, if any, and leaves the item as it is.
    ~ItemJob() { assert(!telling_done_ && "a job is not destroyed from inside its on_done"); }
    ItemJob(const ItemJob&) = delete;
    ItemJob& operator=(const ItemJob&) = delete;

    // Starts the item, or takes on a job started ahead of its turn from where
    // it is.
    void Start();
    // Finds what to download ahead of the item's turn. The item shows none of
    // it but its file's name once known; a failure ends the job and leaves
    // the item as it was, for its turn to find out afresh. The job then waits
    // with its plan until Start().
    void StartAhead();
    // Ends the step under way at once; the item ends "Cancelled". Nothing
    // happens once the item has its outcome.
    void Cancel();

    list::ItemKey Key() const { return key_; }
    bool IsDone() const { return step_ >= Step::kComplete; }
    bool IsAhead() const { return ahead_; }
    // Whether the job is finding what to download.
    bool IsResolving() const;
    // When a job ahead of its turn found what to download; none until then.
    std::optional<platform::TimePoint> ResolvedAt() const;

private:
    using StepWork =
        std::variant<std::monostate, std::unique_ptr<GeneralLinkFinder>,
                     std::unique_ptr<transfer::PageFetch>, std::unique_ptr<transfer::Probe>,
                     std::unique_ptr<StreamReading>, std::unique_ptr<Download>,
                     std::unique_ptr<platform::Child>, platform::BackgroundWork::Ticket,
                     std::unique_ptr<YtDlpAsk>, std::unique_ptr<SubtitleFetching>,
                     std::unique_ptr<YtDlpAnswers::Waiting>>;
    using ItemChange = std::function<void(list::DownloadItem&)>;

    // The only way from one step to the next, and the only writer of the
    // item's state.
    void Enter(Step next, StepWork work = std::monostate{}, const ItemChange& with = nullptr);
    template <typename Work, typename... Args>
    Work& Begin(Step step, Args&&... args) {
        auto made = std::make_unique<Work>(std::forward<Args>(args)...);
        Work& work = *made;
        Enter(step, std::move(made));
        return work;
    }
    void Trace(const std::function<std::string()>& make);
    void Resolve();
    void TakeTurn();
    void TellDone();
    void Finish(const Outcome& outcome, std::optional<list::NameKind> placeholder = std::nullopt,
                const ItemChange& with = nullptr);
    const list::DownloadItem* ItemOrCancel();

    // Resolving: each way ends in a plan.
    void FindGeneralLink(const std::string& address);
    void OnGeneralLink(GeneralLink found);
    void FetchPage(const std::string& address);
    void OnPageProgress(int64_t received, std::optional<int64_t> size);
    void OnPage(transfer::PageFetch::Result result);
    void ProbeLink(const std::string& link);
    void OnProbed(const std::string& link, transfer::Probe::Result result);
    void ReadStream(const std::string& address, const std::string& title);
    // yt-dlp's part: asking it, following its choice, a playlist's entries.
    std::optional<std::string> YtDlpProgram() const;
    bool MayAskYtDlp(const Outcome& outcome) const;
    bool AskYtDlpAgain(const Outcome& outcome);
    void AskYtDlp();
    void AskYtDlpAlone(bool with_companions);
    std::vector<std::string> CompanionsFrom(int from, const list::DownloadItem& like,
                                            size_t* covered, size_t most) const;
    void KeepAnswersComing(int from, const list::DownloadItem& like, size_t most);
    void OnYtDlpAnswer(Result<resolve::YtDlpAnswer> answer);
    void AddPlaylist(const resolve::YtDlpAnswer& answer);
    void FollowChoice(resolve::YtDlpChoice choice);
    std::string ChoiceTitle() const;
    void TakeChoiceInto(Plan& plan) const;

    // From the plan to the file, the same for every plan.
    void StartDownload(Plan plan);
    void DownloadPlan(Plan plan);
    void TakeSoundOnlyInto(Plan& plan) const;
    void TakePageSubtitlesInto(Plan& plan) const;
    bool CanMakeSound(const Plan& plan) const;
    bool NameTheFile(const Plan& plan);
    std::optional<transfer::Kept> KeptFitting(const Plan& plan);
    driver::Download* DownloadUnderWay();
    std::string IdentityOfVideo(int64_t size);
    int64_t WallSeconds() const;
    void OnProgress(const driver::Download::Progress& progress);
    void OnDownloaded(Outcome outcome);
    void Convert(const std::string& ffmpeg, const std::vector<std::string>& inputs);
    void OnConverted(const platform::ChildEnd& end, const std::vector<std::string>& inputs,
                     const std::string& converted);
    void ConversionFailed(const std::string& why, const std::vector<std::string>& inputs,
                          const std::string& converted);
    // Once the video is whole: its subtitles, beside it or inside it.
    void VideoWhole(const std::string& video, const std::vector<std::string>& inputs);
    void OnSubtitles(const std::string& video, const std::vector<std::string>& inputs,
                     FetchedSubtitles got);
    std::string EmbeddingContainer() const;
    void Embed(const std::string& ffmpeg, const std::string& video,
               const std::vector<std::string>& inputs);
    void OnEmbedded(const platform::ChildEnd& end, const std::string& video,
                    const std::vector<std::string>& inputs, const std::string& embedded);
    void PlaceSubtitlesBeside(const std::string& video_name);
    void Settle(const std::string& temporary, const std::vector<std::string>& inputs,
                const std::string& note = {});
    void KeepOrDrop(const std::optional<transfer::Kept>& kept,
                    const std::vector<std::string>& files);
    platform::BackgroundWork& Background();
    void SyncFolder();
    void RemoveFile(const std::string& path);
    void Change(const ItemChange& change);
    list::Activity ActivityIn(Step step) const;
    void BeginActivity(list::Activity activity);
    void TickActivity();
    void TakeSizeOfKeptBytes(list::DownloadItem& item) const;

    JobServices& s_;
    list::ItemKey key_;
    std::function<void()> on_done_;
    // How the item's requests go: where they may go (public only, once one
    // began there), and with what agent and headers.
    transfer::RequestContext requests_;
    // The user's logins and preferences as they were when the job started.
    UserLogins logins_;
    resolve::QualityPreferences preferences_;
    Step step_ = Step::kIdle;
    StepWork work_;
    std::string folder_;
    std::optional<transfer::Kept> earlier_;
    // The item's size as this try found it.
    std::pair<list::SizeKind, int64_t> size_before_{list::SizeKind::kNotProbed, 0};
    Plan plan_;
    // The file ffmpeg writes, while it does, and what it makes of the inputs.
    std::string converting_to_;
    // A whole video ffmpeg made, which the item does not keep, until it is named.
    std::string made_video_;
    list::Activity converting_as_ = list::Activity::kConvertingToMp4;
    // What the item waits for while no bytes come, since when, and the
    // timer that counts its seconds on the item.
    list::Activity activity_ = list::Activity::kNone;
    platform::TimePoint activity_since_{};
    std::unique_ptr<platform::Timer> activity_timer_;
    // What yt-dlp chose for the item, and whether the item kept the choice
    // from an earlier try (and yt-dlp was asked again since).
    std::optional<resolve::YtDlpChoice> choice_;
    bool choice_was_kept_ = false;
    bool asked_again_ = false;
    // The title of the page the general reader read, if any, and the
    // subtitles of its videos (none when no page was read).
    std::string page_title_;
    std::optional<std::vector<resolve::SubtitleOffer>> page_subtitles_;
    // The subtitles fetched, in temporary files of the item's, while they
    // wait for the video's name; and what the complete item tells of itself.
    std::vector<FetchedSubtitle> subtitles_;
    std::vector<std::string> notes_;
    std::unique_ptr<platform::BackgroundWork> own_background_;
    // While on_done runs, for the destructor's check.
    bool telling_done_ = false;
    // Ahead of the item's turn, and the plan found meanwhile, and when.
    bool ahead_ = false;
    std::optional<Plan> parked_;
    platform::TimePoint parked_at_{};
};

} // namespace tarnwick::driver
