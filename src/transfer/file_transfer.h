// Transfers one video file: a GET of the link whose body goes into a
// temporary file. The transfer itself decides its outcome: complete when the
// whole body came with a success status and is on disk. An error status or a
// web page writes nothing; a write that fails removes what was written; a
// transfer cut off or stopped partway keeps its bytes in the file.
//
// The temporary file an earlier transfer of the same video kept is written on
// where it ends: the request asks for the rest ("Range", with "If-Range" and
// the validator of the answer the bytes came with), and a partial answer that
// starts exactly there, for a video of the same size, is appended. Any other
// answer starts the file afresh: a whole answer is written from its first
// byte, and a refused or mismatched range is asked for again whole. An error
// status or a web page leaves the kept file as it was. A video is asked for
// as it is; one that comes content-coded all the same is decoded, and its
// answer gives no validator or size to resume with.
#pragma once

#include "common/outcome.h"
#include "common/result.h"
#include "platform/background_work.h"
#include "platform/clock.h"
#include "platform/http_client.h"
#include "transfer/connection_budget.h"
#include "transfer/download_file.h"
#include "transfer/split_transfer.h"
#include "transfer/time_limits.h"
#include "transfer/write_behind.h"

#include <cassert>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick::transfer {

// What an earlier transfer of the same video kept.
struct KeptFile {
    std::string path;
    // The bytes known to be on disk; the file must hold at least these.
    int64_t kept = 0;
    // The video's size then, and its validator (empty without one).
    std::optional<int64_t> total;
    std::string validator;
    // The parts of a file fetched over several connections (PartLayout's
    // text); empty for a file written from its start on, as `kept` tells.
    std::string parts;
};

// How a transfer may fetch its file over several connections at once.
struct SplitChoice {
    // The most connections for the file; 1 fetches it over one.
    int connections = 1;
    // Shared with the other transfers of the run, when there are any.
    ConnectionBudget* budget = nullptr;
    // The layout of the parts changed (PartsText): called before any byte
    // goes into a new part, for the layout to be kept first.
    std::function<void()> on_layout = [] {};
};

class FileTransfer : private platform::HttpReceiver {
public:
    struct Progress {
        // The video's bytes so far, those of an earlier transfer included.
        int64_t received = 0;
        // The video's whole size, when the answer gave one.
        std::optional<int64_t> size;
        // Of the bytes received, those written to the file.
        int64_t on_disk = 0;
        // The answer came content-coded and is decoded: the video's size is
        // unknown, and its bytes cannot be asked for by range.
        bool decoded = false;
    };
    // First called when the answer begins, with the bytes the file holds.
    using ProgressHandler = std::function<void(const Progress& progress)>;
    using DoneHandler = std::function<void(Outcome outcome)>;
    // The temporary file's path for the attempt-th try, from 1; a path that
    // anything has already is passed over for the next.
    using PathChooser = std::function<std::string(int attempt)>;

    FileTransfer(platform::HttpClient& http, platform::Clock& clock, TimeLimits limits = {});
    ~FileTransfer() override;
    FileTransfer(const FileTransfer&) = delete;
    FileTransfer& operator=(const FileTransfer&) = delete;

    // Before Start: where the finished file is synced to the disk, away from
    // the event loop. Without, the sync runs at once, on this thread.
    void SetBackgroundWork(platform::BackgroundWork& work) { background_ = &work; }
    // Before Start: a file of a known size of at least kLeastSplit bytes,
    // whose server answers ranges of the same version, is fetched in parts
    // over up to `choice.connections` connections, written in place. A kept
    // file's parts are fetched so whatever the choice.
    static constexpr int64_t kLeastSplit = 2 * PartLayout::kLeastPart;
    void SetSplit(SplitChoice choice) { split_choice_ = std::move(choice); }

    // The handlers are called from the event loop; `on_done` once, last, and
    // the transfer may be destroyed from inside it. Destroying it before ends
    // the request at once; the bytes received stay in the temporary file.
    // A kept file that is not our regular file of its kept length is left as
    // it is, and a new one is made instead. A kept file that holds the whole
    // video already (its name could not be claimed before) is complete
    // without a request.
    void Start(const std::string& link, const std::optional<KeptFile>& earlier,
               PathChooser temporary_path, ProgressHandler on_progress, DoneHandler on_done);

    // Goes on with an exchange that another step began, whose answer came
    // already: the video's body is taken from it as from a request of its own.
    // The answer is the whole video, so a kept file that is ours starts afresh.
    void Adopt(std::unique_ptr<platform::HttpExchange> exchange, const platform::HttpAnswer& answer,
               const std::optional<KeptFile>& earlier, PathChooser temporary_path,
               ProgressHandler on_progress, DoneHandler on_done);

    // Before Start or Adopt: where the requests may go. An answer that began
    // on a public address makes "the first connection decides" public only
    // for the requests after it.
    void SetReach(platform::HttpRequest::Reach reach) {
        assert(exchange_ == nullptr && "the reach is set before the request starts");
        reach_ = reach;
    }

    // The temporary file, from the moment the answer began.
    const std::string& TemporaryPath() const { return file_.Path(); }
    // The validator of the answer whose bytes the file holds.
    const std::string& Validator() const { return validator_; }
    // The file's bytes on disk from its start on, without a gap.
    int64_t OnDisk() const;
    // While the file is fetched in parts: the layout's text; empty otherwise.
    const std::string& PartsText() const;
    // Whether the file is the earlier transfer's, as that one left it: this
    // one ended before it wrote anything.
    bool LeftTheKeptFileAsItWas() const { return resumed_ && !changed_; }
    // Whether the whole video came into the file: it is complete, or its
    // last step (the sync) failed or was stopped.
    bool HoldsTheWholeVideo() const { return whole_; }
    // Whether the file holds parts of the video worth keeping whatever the
    // outcome: it was fetched in parts and some came.
    bool HoldsParts() const;
    // Ends the request and closes the file with what came written out; the
    // handlers are not called. The bytes on disk then.
    int64_t Abandon();

private:
    void OnAnswer(const platform::HttpAnswer& answer) override;
    void OnBody(const char* data, size_t size) override;
    void OnEnd(const platform::HttpEnd& end) override;
    void Request(int64_t from);
    bool KeptFileIsWhole() const;
    void CompleteAsKept();
    // Every byte came: the file is synced to the disk, and the transfer then
    // completes.
    void SyncTheWhole();
    void OnSynced(int error);
    bool TakesTheRest(const platform::HttpAnswer& answer) const;
    void AskForTheWhole();
    bool BeginWhole(const platform::HttpAnswer& answer);
    bool StartParts(const KeptFile& earlier);
    bool MaySplit(const platform::HttpAnswer& answer) const;
    void SplitFrom(const platform::HttpAnswer& answer);
    void BeginSplit(PartLayout layout, std::unique_ptr<platform::HttpExchange> first,
                    const std::string& link);
    void OnPartsProgress();
    void OnPartsDone(Outcome outcome);
    void OnPartsRefused();
    // The room in the run's connection budget that the transfer's own
    // request holds while it is under way.
    void TakeRoom();
    void GiveRoom();
    void Report();
    void FailWriting(Failure failure, Reason unless_full, bool discard);
    void Finish(Outcome outcome);

    platform::HttpClient& http_;
    platform::Clock& clock_;
    LimitWatch watch_;
    // Ends a transfer that needs no request, from the event loop.
    std::unique_ptr<platform::Timer> no_request_;
    std::unique_ptr<platform::BackgroundWork> own_background_;
    platform::BackgroundWork* background_;
    platform::BackgroundWork::Ticket syncing_;
    std::unique_ptr<WriteBehind> write_behind_;
    bool whole_ = false;
    std::unique_ptr<platform::HttpExchange> exchange_;
    std::string link_;
    platform::HttpRequest::Reach reach_ = platform::HttpRequest::Reach::kAnywhere;
    PathChooser temporary_path_;
    DownloadFile file_;
    ProgressHandler on_progress_;
    DoneHandler on_done_;
    std::optional<int64_t> earlier_total_;
    std::string validator_;
    bool resumed_ = false; // the file is the earlier transfer's
    bool changed_ = false; // ... and this one truncated it or wrote to it
    int64_t asked_from_ = 0;
    bool asked_again_ = false;
    int http_status_ = 0;
    bool coded_ = false;
    std::optional<int64_t> size_;
    int64_t received_ = 0;
    SplitChoice split_choice_;
    std::string room_host_;
    bool holds_room_ = false;
    bool parts_answered_ = false;
    // The parts under way; after OnPartsRefused, the ones that were, until
    // the transfer ends (they called from inside themselves).
    std::unique_ptr<SplitTransfer> split_;
    std::unique_ptr<SplitTransfer> refused_split_;
};

// How an answer's status ends a video transfer: success for a success
// status, the failure otherwise.
Status StatusOfAnswer(int http_status);

} // namespace tarnwick::transfer
