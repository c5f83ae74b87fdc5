#include "transfer/file_download.h"

#include "transfer/header_fields.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace tarnwick::transfer {

// One connection of the file: its fetch, and where its bytes go. With a
// layout, its part is known by where it starts, which splits and take-overs
// keep.
class FileDownload::Connection : public BodySink {
public:
    Connection(FileDownload& owner, int64_t part_start, std::unique_ptr<Fetch> made)
        : owner_(owner), fetch(std::move(made)), part_start(part_start) {
        fetch->SetSink(this);
    }
    Status Take(const char* data, size_t size) override { return owner_.Take(*this, data, size); }

    FileDownload& owner_;
    std::unique_ptr<Fetch> fetch;
    int64_t part_start;
    // From the moment its answer is taken.
    std::optional<PartWriter> writer;
    // The bytes its part counts as on disk reach this far.
    int64_t counted_to = 0;
    // Its part is whole and it cannot go on with the next: it ends.
    bool part_ended = false;
    // Its first answer was a refused resume: the whole is asked for anew.
    bool asks_again = false;
    std::optional<Failure> write_failure;
};

FileDownload::FileDownload(RequestContext& requests, platform::BackgroundWork& background,
                           int connections, Extras extras)
    : requests_(requests),
      most_connections_(std::max(connections, 1)),
      file_(background),
      kept_is_whole_(requests.clock.NewTimer([this] { SyncTheWhole(); })),
      extras_(extras) {}

FileDownload::~FileDownload() {
    EndConnections();
    if (joined_budget_) requests_.budget->Leave(*this);
}

// The only way the state changes.
void FileDownload::Enter(State next) {
    assert(state_ != State::kDone && "a finished download stays finished");
    state_ = next;
}

void FileDownload::Start(const std::string& link, const std::optional<KeptOne>& kept,
                         PartFile::PathChooser path, Calls calls) {
    link_ = link;
    host_ = HostKeyOf(link);
    path_ = std::move(path);
    calls_ = std::move(calls);
    if (requests_.budget != nullptr && !joined_budget_) {
        requests_.budget->Join(*this);
        joined_budget_ = true;
    }
    if (const auto* parts = kept ? std::get_if<KeptParts>(&*kept) : nullptr) {
        if (ResumeParts(*parts)) return;
    }
    const auto* whole = kept ? std::get_if<KeptWhole>(&*kept) : nullptr;
    if (whole == nullptr || !file_.Resume(whole->path, whole->bytes)) {
        if (kept)
            requests_.Note([] { return "the kept file is not as it was left; asked afresh"; });
        return Ask(0);
    }
    kept_ = kept;
    kept_untouched_ = true;
    validator_ = whole->validator;
    size_ = whole->total;
    const int64_t on_disk = file_.LengthAtStart();
    if (size_ && *size_ > 0 && on_disk == *size_) {
        layout_ = PartLayout::Whole(*size_, *size_);
        Enter(State::kKeptIsWhole);
        return kept_is_whole_->Start(platform::Duration(0));
    }
    // Without a validator only an unchanged size tells the same video.
    Ask(!validator_.empty() || size_ ? on_disk : 0);
}

// Goes on with the parts an earlier try fetched; false when the file is not
// as they say.
bool FileDownload::ResumeParts(const KeptParts& kept) {
    int64_t reached = 0;
    for (const FilePart& part : kept.layout.Parts()) reached = std::max(reached, part.Next());
    if (!file_.Resume(kept.path, reached)) return false;
    const int64_t total = kept.layout.Total();
    if (kept.layout.IsComplete() && !file_.Cut(total)) {
        file_.Close();
        return false;
    }
    validator_ = kept.validator;
    size_ = total;
    layout_ = kept.layout;
    // A file written in order from its start, never given its whole room,
    // holds what reached the disk after the record was kept, too.
    const int64_t length = file_.LengthAtStart();
    if (layout_->Count() == 1 && length < total && length > (*layout_)[0].done) {
        layout_->Add(0, length - (*layout_)[0].done);
    }
    // Parts are of the version the validator names; without one, the file
    // goes on over one connection.
    splits_ = most_connections_ > 1 && !validator_.empty();
    if (layout_->IsComplete()) {
        Enter(State::kKeptIsWhole);
        kept_is_whole_->Start(platform::Duration(0));
        return true;
    }
    Enter(State::kReceiving);
    HoldExtras();
    Schedule();
    return true;
}

void FileDownload::Adopt(std::unique_ptr<Fetch> fetch, const FetchAnswer& answer,
                         const std::string& start, const std::optional<KeptOne>& kept,
                         PartFile::PathChooser path, Calls calls) {
    link_ = answer.url;
    host_ = HostKeyOf(link_);
    path_ = std::move(path);
    calls_ = std::move(calls);
    // The kept file is ours: it starts afresh with this answer.
    if (kept) (void)file_.Resume(PathOf(*kept), 0);
    Enter(State::kAsking);
    fetch->DropLeastRate();
    fetch->KeepToLimit();
    auto connection = std::make_unique<Connection>(*this, 0, std::move(fetch));
    Connection& adopted = *connection;
    connections_.push_back(std::move(connection));
    adopted.fetch->SetCalls({nullptr, [this, &adopted](size_t) { OnBody(adopted); },
                             [this, &adopted](FetchEnd end) { OnEnded(adopted, std::move(end)); }});
    if (std::optional<Outcome> refused = OnFirstAnswer(adopted, answer)) {
        return Finish(std::move(*refused));
    }
    if (start.empty()) return;
    if (!Take(adopted, start.data(), start.size())) return FailWriting(*adopted.write_failure);
    OnBody(adopted);
}

void FileDownload::Ask(int64_t from) {
    if (state_ != State::kAskingAgain) Enter(State::kAsking);
    asked_from_ = from;
    auto connection = std::make_unique<Connection>(*this, 0, std::make_unique<Fetch>(requests_));
    Connection& made = *connection;
    connections_.push_back(std::move(connection));
    FetchRequest request{
        .url = link_, .claim = ConnectionBudget::Claim::kFirst, .any_answer = true};
    if (from > 0) {
        request.from = from;
        request.validator = validator_;
        request.total = size_;
    }
    made.fetch->Start(
        std::move(request),
        {[this, &made](const FetchAnswer& answer) { return OnFirstAnswer(made, answer); },
         [this, &made](size_t) { OnBody(made); },
         [this, &made](FetchEnd end) { OnEnded(made, std::move(end)); }});
}

std::optional<Outcome> FileDownload::OnFirstAnswer(Connection& connection,
                                                   const FetchAnswer& answer) {
    const int status = answer.head.status;
    if (asked_from_ > 0 && answer.fit == Fit::kOtherPart && state_ == State::kAsking) {
        // Another part, another version, or none: the whole, afresh.
        requests_.Note([&] {
            return "the rest was answered with status " + std::to_string(status) +
                   " and not as asked; the whole is asked for";
        });
        connection.asks_again = true;
        return Outcome::Cancelled();
    }
    if (answer.fit == Fit::kError) return Outcome::Failed(StatusOfAnswer(status).failure());
    // A part of the file that nobody asked for is no file.
    if (answer.fit == Fit::kOtherPart) return Outcome::Failed(Reason::kErrorAnswer, {}, status);
    // A web page ("please log in") never takes the place of a file.
    if (IsHtmlMediaType(answer.media_type)) {
        return Outcome::Failed(Reason::kHtmlInsteadOfVideo, {}, status);
    }
    if (asked_from_ > 0 && answer.fit == Fit::kAsAsked) {
        kept_untouched_ = false;
        size_ = answer.total;
    } else if (std::optional<Outcome> failed = BeginWhole(answer)) {
        return failed;
    }
    if (size_) return LayOut(connection, answer);
    connection.writer.emplace(file_, asked_from_);
    Enter(State::kReceiving);
    Report();
    return std::nullopt;
}

// The answer is the whole file: the file starts afresh with its bytes.
std::optional<Outcome> FileDownload::BeginWhole(const FetchAnswer& answer) {
    kept_untouched_ = false;
    asked_from_ = 0;
    if (Status ready = file_.IsOpen() ? file_.Cut(0) : file_.Create(path_); !ready) {
        return Outcome::Failed(ready.failure());
    }
    // The lengths and version of coded bytes say nothing of the file's.
    decoded_ = answer.coded;
    validator_ = answer.validator;
    size_ = answer.total;
    return std::nullopt;
}

// A file of a known size: the rest of it is one part, or several when it
// may be split; the answer's own connection goes on with the first.
std::optional<Outcome> FileDownload::LayOut(Connection& first, const FetchAnswer& answer) {
    PartLayout layout = PartLayout::Whole(*size_, asked_from_);
    splits_ = MaySplit(answer);
    if (splits_) {
        // A new file gets its room first, so that a full disk shows at once.
        if (asked_from_ == 0) {
            if (Status reserved = file_.Reserve(*size_); !reserved) {
                file_.Discard();
                discarded_ = true;
                return Outcome::Failed(reserved.failure());
            }
        }
        layout.Split(0, most_connections_);
        requests_.Note([&] { return "split into " + layout.Text(); });
    }
    layout_ = std::move(layout);
    first.part_start = 0;
    first.writer.emplace(file_, asked_from_);
    first.counted_to = asked_from_;
    Enter(State::kReceiving);
    calls_.on_layout();
    Report();
    HoldExtras();
    WatchFirst();
    Schedule();
    return std::nullopt;
}

bool FileDownload::MaySplit(const FetchAnswer& answer) const {
    return most_connections_ > 1 && state_ == State::kAsking && !answer.coded &&
           !validator_.empty() && size_ &&
           *size_ - asked_from_ >= 2 * PartLayout::LeastPartOf(*size_);
}

// Opens connections for the parts that want bytes, up to the most allowed:
// a first one at once, further ones as the budget has room.
void FileDownload::Schedule() {
    if (state_ != State::kReceiving || !layout_ || waiting_) return;
    const size_t most =
        splits_ && !fell_back_ && !extras_held_ ? static_cast<size_t>(most_connections_) : 1;
    if (connections_.size() >= most) return;
    if (connections_.empty()) {
        const std::optional<size_t> part = NextPartToFetch();
        if (!part) return;
        Open(*part, std::nullopt);
        return Schedule();
    }
    ConnectionBudget* budget = requests_.budget;
    if (budget == nullptr) return OnRoom({});
    if (std::optional<ConnectionBudget::Slot> slot =
            budget->TryTake(host_, ConnectionBudget::Claim::kExtra)) {
        return OnRoom(std::move(*slot));
    }
    waiting_ =
        budget->Wait(host_, ConnectionBudget::Claim::kExtra, [this](ConnectionBudget::Slot slot) {
            waiting_.reset();
            OnRoom(std::move(slot));
        });
}

// The connections past the first wait; the watch starts with the first's answer.
void FileDownload::HoldExtras() {
    if (!splits_ || extras_ != Extras::kWhenHeldBack) return;
    extras_held_ = true;
    held_back_ = std::make_unique<HeldBackWatch>(
        requests_.clock, [this] { return Received(); }, [this] { ReleaseExtras(); });
}

void FileDownload::WatchFirst() {
    if (extras_held_ && !held_back_->IsWatching()) held_back_->Start();
}

void FileDownload::ReleaseExtras() {
    extras_held_ = false;
    requests_.Note([] { return "the first connection is held back: more are opened"; });
    Schedule();
}

// Room for one more connection: it takes a part, or gives the room back.
void FileDownload::OnRoom(ConnectionBudget::Slot slot) {
    if (state_ != State::kReceiving || !layout_) return;
    const std::optional<size_t> part = NextPartToFetch();
    if (!part) return;
    Open(*part, std::move(slot));
    Schedule();
}

// The first part that wants bytes and has no connection; else, unless
// splitting failed, the second half of the part that wants the most.
std::optional<size_t> FileDownload::NextPartToFetch() {
    for (size_t i = 0; i < layout_->Count(); ++i) {
        if (!(*layout_)[i].IsDone() && !PartIsTaken(i)) return i;
    }
    if (!splits_ || fell_back_) return std::nullopt;
    std::vector<int64_t> busy_from(layout_->Count(), 0);
    for (const auto& connection : connections_) {
        busy_from[PartOf(connection->part_start)] = connection->writer->Next();
    }
    const std::optional<size_t> made = layout_->SplitLargest(busy_from);
    if (made) {
        requests_.Note(
            [&] { return "a free connection takes half of a part: " + layout_->Text(); });
        calls_.on_layout();
    }
    return made;
}

void FileDownload::Open(size_t index, std::optional<ConnectionBudget::Slot> slot) {
    const FilePart& part = (*layout_)[index];
    const bool side = !connections_.empty();
    auto connection =
        std::make_unique<Connection>(*this, part.start, std::make_unique<Fetch>(requests_));
    connection->writer.emplace(file_, part.Next());
    connection->counted_to = part.Next();
    Connection& made = *connection;
    connections_.push_back(std::move(connection));
    FetchRequest request{
        .url = link_,
        .from = part.Next(),
        .validator = validator_,
        .total = size_,
        .claim = side ? ConnectionBudget::Claim::kExtra : ConnectionBudget::Claim::kFirst};
    if (side) {
        request.least_rate = kSideRate;
        request.too_slow = Reason::kStallTimeout;
    }
    made.fetch->Start(std::move(request),
                      {[this](const FetchAnswer&) -> std::optional<Outcome> {
                           // A part's answer began: the download is under way.
                           Report();
                           WatchFirst();
                           return std::nullopt;
                       },
                       [this, &made](size_t) { OnBody(made); },
                       [this, &made](FetchEnd end) { OnEnded(made, std::move(end)); }},
                      std::move(slot));
}

size_t FileDownload::PartOf(int64_t start) const {
    const auto& parts = layout_->Parts();
    const auto found =
        std::lower_bound(parts.begin(), parts.end(), start,
                         [](const FilePart& part, int64_t value) { return part.start < value; });
    return static_cast<size_t>(found - parts.begin());
}

bool FileDownload::PartIsTaken(size_t part) const {
    // The part after the last is nobody's.
    if (part >= layout_->Count()) return false;
    const int64_t start = (*layout_)[part].start;
    return std::any_of(connections_.begin(), connections_.end(),
                       [&](const auto& connection) { return connection->part_start == start; });
}

// Writes out what the connection gathered and counts it in its part; a
// failure is the connection's, and false says so.
bool FileDownload::WriteOut(Connection& connection) {
    if (!connection.writer) return true;
    const Status written = connection.writer->Flush();
    if (layout_) {
        const int64_t now = connection.writer->WrittenTo();
        layout_->Add(PartOf(connection.part_start), now - connection.counted_to);
        connection.counted_to = now;
    }
    if (!written) connection.write_failure = written.failure();
    return written.has_value();
}

// The connection's body: into its part, as far as the part goes; at its end
// the connection goes on with the next part when nobody began that one.
// Bytes past what it may write are left out.
Status FileDownload::Take(Connection& connection, const char* data, size_t size) {
    PartWriter& writer = *connection.writer;
    if (!layout_) {
        Status taken = writer.Take(data, size);
        if (!taken) connection.write_failure = taken.failure();
        return taken;
    }
    while (size > 0 && !connection.part_ended) {
        const size_t part = PartOf(connection.part_start);
        const int64_t end = (*layout_)[part].end;
        if (writer.Next() == end) {
            if (!WriteOut(connection)) return *connection.write_failure;
            if (PartIsTaken(part + 1) || !layout_->TakeOverNext(part)) {
                connection.part_ended = true;
                break;
            }
            requests_.Note([&] {
                return "a connection takes over the part after its own: " + layout_->Text();
            });
            calls_.on_layout();
            continue;
        }
        const size_t taken = static_cast<size_t>(std::min<int64_t>(end - writer.Next(), size));
        if (Status written = writer.Take(data, taken); !written) {
            connection.write_failure = written.failure();
            return written;
        }
        data += taken;
        size -= taken;
        // A part's last bytes go out at once: the file may be complete.
        if (writer.Next() == end && !WriteOut(connection)) return *connection.write_failure;
    }
    // What the writer put out on its own counts too.
    const int64_t now = writer.WrittenTo();
    layout_->Add(PartOf(connection.part_start), now - connection.counted_to);
    connection.counted_to = now;
    return {};
}

void FileDownload::OnBody(Connection& connection) {
    if (layout_) {
        // A whole part whose connection cannot go on with the next ends at
        // once, so that the file may complete without waiting for more; the
        // one that reaches the file's end ends with its answer.
        const size_t part = PartOf(connection.part_start);
        const int64_t end = (*layout_)[part].end;
        const bool at_end = connection.writer->Next() == end;
        const bool goes_on =
            part + 1 < layout_->Count() && !PartIsTaken(part + 1) && (*layout_)[part + 1].done == 0;
        if (end < layout_->Total() && (connection.part_ended || (at_end && !goes_on))) {
            Drop(connection);
            Report();
            Schedule();
            return CheckComplete();
        }
    }
    Report();
    Schedule();
}

void FileDownload::OnEnded(Connection& connection, FetchEnd end) {
    if (connection.asks_again) {
        Drop(connection);
        Enter(State::kAskingAgain);
        return Ask(0);
    }
    if (connection.write_failure) return FailWriting(*connection.write_failure);
    if (state_ != State::kReceiving) return Finish(std::move(end.outcome));
    if (layout_) return OnLaidOutEnd(connection, std::move(end));
    if (!WriteOut(connection)) return FailWriting(*connection.write_failure);
    if (!end.outcome.IsComplete()) return Finish(std::move(end.outcome));
    SyncTheWhole();
}

// A connection of a file in parts ended. Refused at its start, it leaves the
// rest to one connection at a time; slow, silent or broken off, it gives
// its part back to the others. Only the last one's failure is the file's.
void FileDownload::OnLaidOutEnd(Connection& connection, FetchEnd end) {
    if (!WriteOut(connection)) return FailWriting(*connection.write_failure);
    const bool last = connections_.size() == 1;
    const bool part_done = (*layout_)[PartOf(connection.part_start)].IsDone();
    if (end.outcome.IsComplete() && part_done) {
        Drop(connection);
        Schedule();
        return CheckComplete();
    }
    // An answer that ended before its part did broke off all the same.
    const Failure failure =
        end.outcome.IsComplete()
            ? Failure{Reason::kConnectionLost, end.answer.head.status, "The answer ended early"}
            : end.outcome.failure();
    if (failure.reason == Reason::kPrivateAddress) return Finish(Outcome::Failed(failure));
    if (end.answered && end.answer.fit != Fit::kAsAsked) {
        // A whole answer, or one of another version, cannot fill a part; an
        // error says nothing of the file, but that no more connections are
        // welcome.
        const bool refused = end.answer.fit != Fit::kError;
        return GiveUpOn(connection, Outcome::Failed(failure), refused);
    }
    const bool timed_out =
        failure.reason == Reason::kStallTimeout || failure.reason == Reason::kOpenTimeout;
    if (end.received == 0 && !timed_out) {
        // Closed before its first byte: the server wants no more connections.
        return GiveUpOn(connection, Outcome::Failed(Reason::kConnectionLost, failure.detail),
                        false);
    }
    if (last && !part_done) {
        Failure lost = failure;
        if (!timed_out) lost.reason = Reason::kConnectionLost;
        return Finish(Outcome::Failed(std::move(lost)));
    }
    // Another connection fetches the rest of the part.
    requests_.Note([&] {
        return "a connection hands its part back (reason " +
               std::to_string(static_cast<int>(failure.reason)) + ") at " +
               std::to_string(connection.writer->Next());
    });
    Drop(connection);
    Schedule();
    CheckComplete();
}

// The connection failed at its start: splitting is over, and one connection
// at a time fetches what is left. When it was the last, the file ends with
// `if_last`, or is asked for whole anew when `refused`.
void FileDownload::GiveUpOn(Connection& connection, Outcome if_last, bool refused) {
    requests_.Note([&] {
        return std::string("a connection was turned down; one at a time from now on") +
               (refused && connections_.size() == 1 ? ", and the whole is asked for afresh" : "");
    });
    fell_back_ = true;
    const bool last = connections_.size() == 1;
    Drop(connection);
    if (!last) return;
    if (!refused) return Finish(std::move(if_last));
    // The parts are of no use now: the file, and what is kept of it, start
    // afresh before the whole is asked for.
    layout_.reset();
    held_back_.reset();
    extras_held_ = false;
    size_.reset();
    if (Status cut = file_.Cut(0); !cut) return FailWriting(cut.failure());
    calls_.on_layout();
    Enter(State::kAskingAgain);
    Ask(0);
}

void FileDownload::Drop(Connection& connection) {
    const auto found = std::find_if(connections_.begin(), connections_.end(),
                                    [&](const auto& held) { return held.get() == &connection; });
    connections_.erase(found);
    // The last one keeps going however slowly: only silence ends it.
    if (connections_.size() == 1) connections_.front()->fetch->DropLeastRate();
}

// Another download's first connection needs room: the connection whose part
// wants the most gives way, its bytes written out, unless it is the last.
bool FileDownload::YieldOne(const std::string& host) {
    if (state_ != State::kReceiving || !layout_ || connections_.size() < 2 ||
        (!host.empty() && host != host_)) {
        return false;
    }
    const auto wants = [this](const auto& connection) {
        return (*layout_)[PartOf(connection->part_start)].end - connection->writer->Next();
    };
    // Of parts that want as much, the last gives way: its bytes are the last
    // the file needs.
    Connection& yielding =
        **std::max_element(connections_.rbegin(), connections_.rend(),
                           [&](const auto& a, const auto& b) { return wants(a) < wants(b); });
    (void)WriteOut(yielding);
    requests_.Note([] { return "a connection gives way to another download's first"; });
    Drop(yielding);
    return true;
}

void FileDownload::CheckComplete() {
    if (state_ != State::kReceiving || !layout_ || !layout_->IsComplete()) return;
    EndConnections();
    // Every byte is accounted for; the file is exactly the video's size.
    if (Status cut = file_.Cut(*size_); !cut) return FailWriting(cut.failure());
    SyncTheWhole();
}

// Every byte came: the file is synced to the disk, and the download then
// completes. A power cut after it takes its name must not leave it short.
void FileDownload::SyncTheWhole() {
    EndConnections();
    Enter(State::kSyncing);
    Report();
    file_.Sync([this](Status synced) {
        Finish(synced ? Outcome::Complete() : Outcome::Failed(synced.failure()));
    });
}

int64_t FileDownload::OnDisk() const {
    if (layout_) return layout_->DoneFromStart();
    if (!connections_.empty() && connections_.front()->writer) {
        return connections_.front()->writer->WrittenTo();
    }
    if (kept_untouched_ && kept_) return BytesOf(*kept_);
    return received_on_disk_;
}

std::optional<KeptOne> FileDownload::Keep() const {
    if (kept_untouched_) return kept_;
    if (file_.Path().empty() || discarded_) return std::nullopt;
    if (layout_) return KeptParts{file_.Path(), validator_, *layout_};
    return KeptWhole{file_.Path(), OnDisk(), size_, validator_};
}

void FileDownload::Report() {
    if (calls_.on_progress) calls_.on_progress({Received(), size_, decoded_});
}

// The video's bytes so far, those still gathered for writing included.
int64_t FileDownload::Received() const {
    if (layout_) {
        int64_t received = layout_->Done();
        for (const auto& connection : connections_) {
            if (connection->writer)
                received += static_cast<int64_t>(connection->writer->Gathered());
        }
        return received;
    }
    if (!connections_.empty() && connections_.front()->writer) {
        return connections_.front()->writer->Next();
    }
    return OnDisk();
}

// Ends every connection, its bytes written out where they can be.
void FileDownload::EndConnections() {
    if (held_back_) held_back_->Stop();
    waiting_.reset();
    for (const auto& connection : connections_) {
        if (connection->writer) (void)WriteOut(*connection);
    }
    if (!connections_.empty() && !layout_ && connections_.front()->writer) {
        received_on_disk_ = connections_.front()->writer->WrittenTo();
    }
    connections_.clear();
}

// A write failed: what was written cannot be trusted, and goes.
void FileDownload::FailWriting(Failure failure) {
    EndConnections();
    file_.Discard();
    discarded_ = true;
    Finish(Outcome::Failed(PartFile::Failed(failure)));
}

void FileDownload::Abandon() {
    if (state_ == State::kDone) return;
    EndConnections();
    kept_is_whole_->Stop();
    file_.Close();
    calls_ = {};
    Enter(State::kDone);
}

void FileDownload::Finish(Outcome outcome) {
    EndConnections();
    kept_is_whole_->Stop();
    if (state_ != State::kSyncing) file_.Close();
    if (joined_budget_) {
        requests_.budget->Leave(*this);
        joined_budget_ = false;
    }
    Enter(State::kDone);
    const std::function<void(Outcome)> done = std::move(calls_.on_done);
    calls_ = {};
    done(std::move(outcome));
}

} // namespace tarnwick::transfer
