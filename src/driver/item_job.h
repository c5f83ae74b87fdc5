// One item's way from page address to file: its page is fetched and handed
// to its site's extractor, the link is probed and the file named, and the
// video is transferred into the download folder. Each step is asynchronous;
// the item in the queue shows where the job is, and ends complete, failed
// with a reason, or cancelled.
#pragma once

#include "common/outcome.h"
#include "driver/browser_agent.h"
#include "driver/format_http_client.h"
#include "driver/general_link.h"
#include "driver/hls_download.h"
#include "driver/pair_download.h"
#include "driver/retried_fetch.h"
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
#include "transfer/file_system.h"
#include "transfer/file_transfer.h"
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
    // The folder the files go to, asked when each transfer begins.
    std::function<std::string()> download_folder;
    transfer::TimeLimits limits = {};
    // The general page reader's parsers, and whether it is switched on;
    // without both, addresses of no supported site are not supported.
    platform::HtmlParserFactory* html_parsers = nullptr;
    std::function<bool()> reads_other_sites = {};
    // How finished files take their names.
    transfer::files::FileSystem& files = transfer::files::SystemFileSystem();
    // Where finished files and their folder are synced to the disk; without,
    // each sync runs at once, on the event loop's thread.
    platform::BackgroundWork* background = nullptr;
    // Where each step change is written; none writes nowhere.
    platform::Trace* trace = nullptr;
    // Decrypts the pieces of encrypted streams; without, they fail.
    const platform::PieceCipher* cipher = nullptr;
    // Runs ffmpeg, where the user has it, to make streamed pieces an MP4.
    platform::ChildProcesses* children = nullptr;
    // Asked for the video of another site's page that the page reader could
    // not find, where the user has yt-dlp and lets it be used.
    YtDlpTool* ytdlp = nullptr;
    std::function<bool()> uses_ytdlp = {};
    // Tells the user something on the status line.
    std::function<void(const std::string& text)> tell = {};
    // How many items the run has under way at most, 1 to 4; none is 1.
    std::function<int()> downloads_at_once = {};
    // The most connections one file is fetched over, 1 to 8; none is 1.
    std::function<int()> connections = {};
    // The connections of all the run's transfers together.
    transfer::ConnectionBudget* connection_budget = nullptr;
};

// `name` with `extension` in place of its own, if any.
std::string WithExtension(const std::string& name, std::string_view extension);

// What an earlier transfer of the item kept for the next to go on with.
std::optional<transfer::KeptFile> KeptFileOf(const list::DownloadItem& item);

class ItemJob {
public:
    // Where the job is. Each step holds the object that does its work, if
    // any; entering the next step ends it. The item's state follows the step.
    enum class Step : uint8_t {
        kIdle,            // not started; the item is as it was
        kChoosingReader,  // Preparing: the item starts afresh, its page's reader is chosen
        kFindingLink,     // Preparing: the general page reader looks for the video
        kFetchingPage,    // Preparing: the page is fetched for its site's extractor
        kAskingYtDlp,     // Preparing: yt-dlp is asked what the page holds
        kFollowingLink,   // Starting: the link is taken and the file named
        kReadingPlaylist, // Starting: a streamed video's playlists are read
        kProbing,         // Starting: the link is asked what it holds
        kConnecting,      // Starting: the transfer waits for the video's answer
        kDownloading,     // Downloading: the video's bytes arrive
        kConverting,      // Downloading: ffmpeg makes the streamed pieces an MP4
        kSettlingFile,    // the transfer ended: its file is named, kept or dropped
        // The outcomes, last: the job is done in any of them.
        kComplete,
        kFailed,
        kCancelled,
    };
    // The step's name, as a trace would show it.
    static const char* StepName(Step step);

    // `on_done` is called once the item has its outcome, from inside the
    // job's last step: the job must not be destroyed from inside it.
    ItemJob(JobServices& services, list::ItemKey key, std::function<void()> on_done);
    // Ends the step under way, if any, and leaves the item as it is.
    ~ItemJob() { assert(!telling_done_ && "a job is not destroyed from inside its on_done"); }
    ItemJob(const ItemJob&) = delete;
    ItemJob& operator=(const ItemJob&) = delete;

    void Start();
    // Ends the step under way at once; the item ends "Cancelled". Nothing
    // happens once the item has its outcome.
    void Cancel();

    list::ItemKey Key() const { return key_; }
    bool IsDone() const { return step_ >= Step::kComplete; }

private:
    using StepWork =
        std::variant<std::monostate, std::unique_ptr<GeneralLinkFinder>,
                     std::unique_ptr<transfer::PageFetch>, std::unique_ptr<transfer::Probe>,
                     std::unique_ptr<transfer::FileTransfer>, std::unique_ptr<HlsDownload>,
                     std::unique_ptr<platform::Child>, platform::BackgroundWork::Ticket,
                     std::unique_ptr<YtDlpAsk>, std::unique_ptr<PairDownload>>;
    using ItemChange = std::function<void(list::DownloadItem&)>;
    // What a transfer of the item calls back, whichever way it begins.
    struct TransferCalls {
        transfer::FileTransfer::PathChooser temporary_path;
        transfer::FileTransfer::ProgressHandler on_progress;
        transfer::FileTransfer::DoneHandler on_done;
    };

    void Enter(Step next, StepWork work = std::monostate{}, const ItemChange& with = nullptr);
    // Makes the object of a step that asks the network, enters the step, and
    // lets its requests go where the item's may.
    template <typename Work, typename... Args>
    Work& Begin(Step step, Args&&... args) {
        auto made = std::make_unique<Work>(std::forward<Args>(args)...);
        Work& work = *made;
        Enter(step, std::move(made));
        work.SetReach(reach_);
        return work;
    }
    void Trace(const std::function<std::string()>& make);
    void Finish(const Outcome& outcome, std::optional<list::NameKind> placeholder = std::nullopt);
    const list::DownloadItem* ItemOrCancel();
    void FindGeneralLink(const std::string& address);
    void OnGeneralLink(GeneralLink found);
    // yt-dlp's part: asking it, following its choice, a playlist's entries.
    std::optional<std::string> YtDlpProgram() const;
    bool MayAskYtDlp(const Outcome& outcome) const;
    bool AskYtDlpAgain(const Outcome& outcome);
    void AskYtDlp();
    void OnYtDlpAnswer(Result<resolve::YtDlpAnswer> answer);
    void AddPlaylist(const resolve::YtDlpAnswer& answer);
    void FollowChoice(resolve::YtDlpChoice choice);
    void DownloadPair();
    PairDownload* PairUnderWay();
    void OnPairProgress(const PairDownload::Progress& progress);
    void OnPairDone(Outcome outcome);
    void FetchPage(const std::string& address);
    void OnPageProgress(int64_t received, std::optional<int64_t> size);
    void OnPage(transfer::PageFetch::Result result);
    void ProbeLink(const std::string& link);
    void OnProbed(const std::string& link, transfer::Probe::Result result);
    bool NameTheFile(const std::string& link, const transfer::ProbeFindings& findings,
                     std::string_view extension = {}, const std::string& title = {});
    std::optional<TransferCalls> PrepareTransfer();
    void DropEarlierFile();
    void Transfer(const std::string& link);
    void TransferFrom(std::unique_ptr<platform::HttpExchange> exchange,
                      const platform::HttpAnswer& answer);
    transfer::FileTransfer* TransferUnderWay();
    void OnTransferProgress(const transfer::FileTransfer::Progress& progress);
    void OnPartsLaidOut();
    void OnTransferred(Outcome outcome);
    void ReadPlaylist(const std::string& address, const std::string& title);
    void OnPlaylistRead(const std::string& link, const std::string& title,
                        const HlsDownload::Plan& plan);
    HlsDownload* StreamUnderWay();
    void OnStreamWritten(Outcome outcome);
    void Convert(const std::string& ffmpeg, const std::string& pieces, int64_t on_disk);
    void OnConverted(const platform::ChildEnd& end, const std::string& pieces, int64_t on_disk,
                     const std::string& converted);
    void KeepPieces(const std::string& why, const std::string& pieces, int64_t on_disk,
                    const std::string& converted);
    void DropStreamFiles(const Outcome& outcome, const std::string& picture,
                         const std::string& converted);
    Outcome SettleWholeFile(const std::string& temporary, int64_t on_disk);
    platform::BackgroundWork& Background();
    void SyncFolder();
    void RemoveFile(const std::string& path);
    void Change(const ItemChange& change);
    void TakeSizeOfKeptBytes(list::DownloadItem& item) const;

    JobServices& s_;
    list::ItemKey key_;
    std::function<void()> on_done_;
    // Pages of other sites and their videos are asked for as a browser would.
    AgentHttpClient browser_http_;
    platform::HttpClient* http_;
    Step step_ = Step::kIdle;
    StepWork work_;
    std::string folder_;
    std::optional<transfer::KeptFile> earlier_;
    // The item's size as this try found it.
    std::pair<list::SizeKind, int64_t> size_before_{list::SizeKind::kNotProbed, 0};
    // Where the item's requests may go: public only, once one began there.
    platform::HttpRequest::Reach reach_ = platform::HttpRequest::Reach::kFirstDecides;
    // How a streamed video's requests go out, while its step lasts.
    std::optional<PieceRequests> piece_requests_;
    HlsDownload::Plan stream_plan_;
    // The MP4 that ffmpeg writes, while it does, and the sound it joins.
    std::string converting_to_;
    std::string converting_sound_;
    // The extension of the file ffmpeg writes: ".mp4", or ".mkv" for a
    // picture and sound whose codecs an MP4 cannot hold.
    std::string converted_extension_ = ".mp4";
    // The picture of a picture and sound fetched apart, once both came.
    std::string pair_picture_;
    // What yt-dlp chose for the item, the title its file is named by, the
    // headers its requests go with, and whether the item kept the choice
    // from an earlier try (and yt-dlp was asked again since).
    std::optional<resolve::YtDlpChoice> choice_;
    std::string choice_title_;
    std::optional<FormatHttpClient> format_http_;
    bool choice_was_kept_ = false;
    bool asked_again_ = false;
    std::unique_ptr<platform::BackgroundWork> own_background_;
    // While on_done runs, for the destructor's check.
    bool telling_done_ = false;
};

} // namespace tarnwick::driver
