// One video file, fetched into one temporary file. The transfer itself
// decides its outcome: complete when every byte came with a success status
// and is on disk. An error status or a web page writes nothing; a write that
// fails removes what was written; a transfer cut off or stopped partway
// keeps its bytes for the next try (Keep).
//
// A file of unknown size is written from its first byte on, over one
// connection. A file of a known size is a layout of parts: one part over one
// connection, or, when its server answers ranges of one version and enough
// is left, up to `connections` parts written in place, each over a
// connection of its own. A connection that reaches the end of its part goes
// on with the next part if nobody began it; a free one takes the second half
// of the part that wants the most. A ranged answer that is whole, refused,
// of another version or closed at once ends only that connection, and one
// connection at a time fetches the rest; a connection slower than 1 KiB/s
// for 20 s while others run gives its part back. Only the last connection's
// failure ends the file. The connections past the first may wait until the
// first shows it is held back (HeldBackWatch): one connection as fast as
// the machine takes bytes goes on alone through the parts.
//
// What an earlier try kept is gone on with: the rest is asked for with
// "Range" and "If-Range", and a partial answer that goes on exactly there,
// of the same size and version, is taken. Any other answer starts the file
// afresh: a whole answer from its first byte, a refused or mismatched range
// asked for again whole. A file is asked for as it is; one that comes
// content-coded all the same is decoded, and tells no size or version.
#pragma once

#include "common/outcome.h"
#include "platform/background_work.h"
#include "transfer/connection_budget.h"
#include "transfer/fetch.h"
#include "transfer/held_back_watch.h"
#include "transfer/kept.h"
#include "transfer/part_file.h"
#include "transfer/part_layout.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::transfer {

class FileDownload : private ConnectionBudget::Yielder {
public:
    // A connection that brings less than this while others run gives way.
    static constexpr LeastRate kSideRate = {1024, platform::Duration(20000), true};

    struct Progress {
        // The video's bytes so far, an earlier try's included.
        int64_t received = 0;
        // Its whole size, when the answer told it.
        std::optional<int64_t> size;
        // The answer came content-coded and is decoded: the size is unknown.
        bool decoded = false;
    };
    struct Calls {
        // First when the answer begins; the temporary file exists from then on.
        std::function<void(const Progress&)> on_progress;
        // Where the parts lie changed: Keep() tells it, before any byte goes
        // into a new part.
        std::function<void()> on_layout;
        // Once, last; the download may be destroyed from inside it.
        std::function<void(Outcome)> on_done;
    };

    // When the connections past the first open.
    enum class Extras : uint8_t {
        kAtOnce,       // as soon as the parts are laid out
        kWhenHeldBack, // once the first connection is found held back
    };

    FileDownload(RequestContext& requests, platform::BackgroundWork& background, int connections,
                 Extras extras = Extras::kAtOnce);
    ~FileDownload() override;
    FileDownload(const FileDownload&) = delete;
    FileDownload& operator=(const FileDownload&) = delete;

    // Fetches `link` into a new temporary file at the first free path of
    // `path`, or goes on with what `kept` (a file, not a stream) holds. A
    // kept file that is not our regular file of its kept length is left as
    // it is, and a new one is made; one that holds the whole file completes
    // without a request.
    void Start(const std::string& link, const std::optional<KeptOne>& kept,
               PartFile::PathChooser path, Calls calls);
    // Goes on with a fetch that another step began, whose answer came with
    // the body's first bytes `start`: the body is the whole file, and a kept
    // file of ours starts afresh with it.
    void Adopt(std::unique_ptr<Fetch> fetch, const FetchAnswer& answer, const std::string& start,
               const std::optional<KeptOne>& kept, PartFile::PathChooser path, Calls calls);

    // What a later try can go on with: the file's bytes on disk as they are
    // now; none when it holds nothing of use.
    std::optional<KeptOne> Keep() const;
    // The temporary file; empty before the answer began.
    const std::string& TemporaryPath() const { return file_.Path(); }
    // The bytes on disk from the file's start on, without a gap.
    int64_t OnDisk() const;
    // Writes out what came and ends every connection; nothing more is called.
    void Abandon();

    // The connections under way, and whether one at a time is left.
    int Connections() const { return static_cast<int>(connections_.size()); }
    bool FellBack() const { return fell_back_; }

private:
    class Connection;
    enum class State : uint8_t {
        kIdle,
        kKeptIsWhole, // the kept file holds it all: it completes from the event loop
        kAsking,      // the first request is out
        kAskingAgain, // a resume was refused: the whole is asked for afresh
        kReceiving,   // bytes come, over one connection or several
        kSyncing,     // every byte is in; the disk takes them
        kDone,
    };

    bool YieldOne(const std::string& host) override;
    void Ask(int64_t from);
    std::optional<Outcome> OnFirstAnswer(Connection& connection, const FetchAnswer& answer);
    std::optional<Outcome> BeginWhole(const FetchAnswer& answer);
    std::optional<Outcome> LayOut(Connection& first, const FetchAnswer& answer);
    bool ResumeParts(const KeptParts& kept);
    bool MaySplit(const FetchAnswer& answer) const;
    void Schedule();
    void HoldExtras();
    void WatchFirst();
    void ReleaseExtras();
    void OnRoom(ConnectionBudget::Slot slot);
    std::optional<size_t> NextPartToFetch();
    void Open(size_t part, std::optional<ConnectionBudget::Slot> slot);
    Status Take(Connection& connection, const char* data, size_t size);
    void OnBody(Connection& connection);
    void OnEnded(Connection& connection, FetchEnd end);
    void OnLaidOutEnd(Connection& connection, FetchEnd end);
    void GiveUpOn(Connection& connection, Outcome if_last, bool refused);
    void Drop(Connection& connection);
    size_t PartOf(int64_t start) const;
    bool PartIsTaken(size_t part) const;
    bool WriteOut(Connection& connection);
    void CheckComplete();
    void SyncTheWhole();
    void Report();
    int64_t Received() const;
    void Enter(State next);
    void Finish(Outcome outcome);
    void EndConnections();
    // By value: the failure is often a connection's, which ends first.
    void FailWriting(Failure failure);

    RequestContext& requests_;
    int most_connections_;
    PartFile file_;
    std::unique_ptr<platform::Timer> kept_is_whole_;
    State state_ = State::kIdle;
    Calls calls_;
    std::string link_;
    std::string host_;
    PartFile::PathChooser path_;
    std::optional<KeptOne> kept_;
    // The file before any byte of this try, when it was an earlier try's.
    bool kept_untouched_ = false;
    int64_t asked_from_ = 0;
    // What the answers told of the file.
    std::string validator_;
    std::optional<int64_t> size_;
    bool decoded_ = false;
    // With a known size: where the parts lie and how far each came.
    std::optional<PartLayout> layout_;
    std::vector<std::unique_ptr<Connection>> connections_;
    std::unique_ptr<ConnectionBudget::Waiting> waiting_;
    // Whether its server answers ranges of one version, so that it may come
    // in parts; and whether one of them was turned down since.
    bool splits_ = false;
    bool fell_back_ = false;
    // The connections past the first wait for the watch to find it held back.
    Extras extras_;
    bool extras_held_ = false;
    std::unique_ptr<HeldBackWatch> held_back_;
    bool joined_budget_ = false;
    bool discarded_ = false;
    // A file written from its start: its bytes on disk once its connection ended.
    int64_t received_on_disk_ = 0;
};

} // namespace tarnwick::transfer
