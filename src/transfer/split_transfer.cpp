#include "transfer/split_transfer.h"

#include "transfer/file_system.h"
#include "transfer/file_transfer.h"
#include "transfer/header_fields.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace tarnwick::transfer {
namespace {

// Bytes gathered from one connection before they are written out.
constexpr size_t kBufferSize = 256 * 1024;
// How long a split file waits before it asks the budget for room again.
constexpr platform::Duration kRoomRetry{500};

} // namespace

class SplitTransfer::Connection : public platform::HttpReceiver {
public:
    Connection(SplitTransfer& owner, const FilePart& part)
        : owner_(owner), part_start(part.start), asked_from(part.Next()), written_to(part.Next()) {}

    void OnAnswer(const platform::HttpAnswer& answer) override { owner_.OnAnswered(*this, answer); }
    void OnBody(const char* data, size_t size) override { owner_.OnBody(*this, data, size); }
    void OnEnd(const platform::HttpEnd& end) override { owner_.OnEnded(*this, end); }

    // The next byte the connection brings.
    int64_t Position() const { return written_to + static_cast<int64_t>(buffer.size()); }

    SplitTransfer& owner_;
    std::unique_ptr<platform::HttpExchange> exchange;
    // Its part, known by where it starts: splits and take-overs keep that.
    int64_t part_start;
    int64_t asked_from;
    // The bytes before this are written out; `buffer` follows them.
    int64_t written_to;
    std::vector<char> buffer;
    bool answered = false;
    bool got_bytes = false;
};

SplitTransfer::SplitTransfer(platform::HttpClient& http, platform::Clock& clock, Setup setup,
                             Calls calls)
    : http_(http),
      clock_(clock),
      setup_(std::move(setup)),
      calls_(std::move(calls)),
      host_(HostKeyOf(setup_.link)) {}

SplitTransfer::~SplitTransfer() { Abandon(); }

void SplitTransfer::Start(PartLayout layout, std::unique_ptr<platform::HttpExchange> first) {
    layout_ = std::move(layout);
    if (setup_.budget != nullptr) setup_.budget->Join(*this);
    if (first) {
        auto connection = std::make_unique<Connection>(*this, layout_[0]);
        connection->answered = true;
        if (setup_.budget != nullptr) setup_.budget->Take(host_);
        first->SetReceiver(*connection);
        connection->exchange = std::move(first);
        connections_.push_back(std::move(connection));
    }
    calls_.on_layout();
    Schedule();
}

int64_t SplitTransfer::Received() const {
    int64_t received = layout_.Done();
    for (const auto& connection : connections_) {
        received += static_cast<int64_t>(connection->buffer.size());
    }
    return received;
}

// Another download's first connection needs room: the connection whose part
// wants the most gives way, its bytes written out, unless it is the last.
bool SplitTransfer::YieldOne(const std::string& host) {
    if (ended_ || connections_.size() < 2 || (!host.empty() && host != host_)) return false;
    const auto wants = [this](const auto& connection) {
        return layout_[PartOf(connection->part_start)].end - connection->Position();
    };
    // Of parts that want as much, the last gives way: its bytes are the
    // last the file needs.
    Connection& yielding =
        **std::max_element(connections_.rbegin(), connections_.rend(),
                           [&](const auto& a, const auto& b) { return wants(a) < wants(b); });
    WriteOutIfAble(yielding);
    Drop(yielding);
    waiting_for_room_ = true;
    next_try_ = clock_.Now() + kRoomRetry;
    return true;
}

void SplitTransfer::Schedule() {
    if (ended_) return;
    const size_t most = fell_back_ ? 1 : static_cast<size_t>(std::max(setup_.connections, 1));
    while (connections_.size() < most) {
        const bool first_of_all = connections_.empty();
        if (!first_of_all && setup_.budget != nullptr && !setup_.budget->TryTake(host_)) {
            waiting_for_room_ = true;
            next_try_ = clock_.Now() + kRoomRetry;
            return;
        }
        const std::optional<size_t> part = NextPartToFetch();
        if (!part) {
            if (!first_of_all && setup_.budget != nullptr) setup_.budget->Give(host_);
            return;
        }
        if (first_of_all && setup_.budget != nullptr) setup_.budget->Take(host_);
        Open(*part);
    }
}

// The first part that wants bytes and has no connection; else, unless
// splitting failed, the second half of the part that wants the most.
std::optional<size_t> SplitTransfer::NextPartToFetch() {
    for (size_t i = 0; i < layout_.Count(); ++i) {
        if (!layout_[i].IsDone() && !PartIsTaken(i)) return i;
    }
    if (fell_back_) return std::nullopt;
    std::vector<int64_t> busy_from(layout_.Count(), 0);
    for (const auto& connection : connections_) {
        busy_from[PartOf(connection->part_start)] = connection->Position();
    }
    const std::optional<size_t> made = layout_.SplitLargest(busy_from);
    if (made) calls_.on_layout();
    return made;
}

void SplitTransfer::Open(size_t part) {
    auto connection = std::make_unique<Connection>(*this, layout_[part]);
    platform::HttpRequest request;
    request.url = setup_.link;
    request.reach = setup_.reach;
    request.headers.push_back("Range: bytes=" + std::to_string(connection->asked_from) + "-");
    request.headers.push_back("If-Range: " + setup_.validator);
    Connection& made = *connection;
    connections_.push_back(std::move(connection));
    made.exchange = http_.Start(request, made);
}

size_t SplitTransfer::PartOf(int64_t start) const {
    const auto& parts = layout_.Parts();
    const auto found =
        std::lower_bound(parts.begin(), parts.end(), start,
                         [](const FilePart& part, int64_t value) { return part.start < value; });
    return static_cast<size_t>(found - parts.begin());
}

bool SplitTransfer::PartIsTaken(size_t part) const {
    // The part after the last is nobody's.
    if (part >= layout_.Count()) return false;
    const int64_t start = layout_[part].start;
    return std::any_of(connections_.begin(), connections_.end(),
                       [&](const auto& connection) { return connection->part_start == start; });
}

// Whether a partial answer is of the version asked for in If-Range: one that
// names a version must name it; one that names none was sent because it
// matched, as servers send a partial answer only then.
bool SplitTransfer::SameVersion(const platform::HttpAnswer& answer) const {
    const std::string validator = ValidatorField(answer);
    return validator.empty() || validator == setup_.validator;
}

// A part's answer: the rest of the file from the byte asked for, of the
// same version, as it is.
bool SplitTransfer::Accepts(const Connection& connection,
                            const platform::HttpAnswer& answer) const {
    if (answer.status != 206 || IsContentCoded(answer)) return false;
    const std::optional<ContentRange> range = ContentRangeField(answer);
    return range && range->first == connection.asked_from && range->total == layout_.Total() &&
           range->last + 1 == layout_.Total() && SameVersion(answer);
}

void SplitTransfer::OnAnswered(Connection& connection, const platform::HttpAnswer& answer) {
    if (!Accepts(connection, answer)) {
        // A whole answer, or one of another version, cannot fill a part; an
        // error says nothing of the file, but that no more connections are
        // welcome.
        const bool refused = (answer.status >= 200 && answer.status < 300) || answer.status == 416;
        const Status status = StatusOfAnswer(answer.status);
        GiveUpOn(connection,
                 status ? Outcome::Failed(Reason::kErrorAnswer, {}, answer.status)
                        : Outcome::Failed(status.failure()),
                 refused);
        return;
    }
    connection.answered = true;
    calls_.on_progress();
}

void SplitTransfer::OnBody(Connection& connection, const char* data, size_t size) {
    if (!connection.answered) return;
    connection.got_bytes = true;
    while (size > 0) {
        size_t part = PartOf(connection.part_start);
        if (connection.Position() == layout_[part].end) {
            // The part is whole: the connection goes on with the next part
            // when nobody began that one, and ends otherwise.
            if (!WriteOut(connection)) return;
            if (PartIsTaken(part + 1) || !layout_.TakeOverNext(part)) {
                Drop(connection);
                Schedule();
                CheckComplete();
                return;
            }
            calls_.on_layout();
            continue;
        }
        const size_t room = static_cast<size_t>(layout_[part].end - connection.Position());
        const size_t taken = std::min(size, room);
        if (connection.buffer.capacity() < kBufferSize) connection.buffer.reserve(kBufferSize);
        connection.buffer.insert(connection.buffer.end(), data, data + taken);
        data += taken;
        size -= taken;
        if (connection.buffer.size() >= kBufferSize || connection.Position() == layout_[part].end) {
            if (!WriteOut(connection)) return;
        }
    }
    if (waiting_for_room_ && clock_.Now() >= next_try_) {
        waiting_for_room_ = false;
        Schedule();
    }
    calls_.on_progress();
    // A whole part whose connection cannot go on with the next ends at once,
    // so that the file may complete without waiting for more bytes.
    const size_t part = PartOf(connection.part_start);
    const bool goes_on =
        part + 1 < layout_.Count() && !PartIsTaken(part + 1) && layout_[part + 1].done == 0;
    if (connection.Position() == layout_[part].end && !goes_on) {
        Drop(connection);
        Schedule();
        CheckComplete();
    }
}

void SplitTransfer::OnEnded(Connection& connection, const platform::HttpEnd& end) {
    if (!WriteOut(connection)) return;
    if (end.kind == platform::HttpEnd::Kind::kRefusedAddress) {
        EndWith(Outcome::Failed(Reason::kPrivateAddress, end.detail));
        return;
    }
    if (!connection.got_bytes) {
        // Closed before its first byte: the server wants no more connections.
        GiveUpOn(connection, Outcome::Failed(Reason::kConnectionLost, end.detail), false);
        return;
    }
    if (connections_.size() == 1 && !layout_[PartOf(connection.part_start)].IsDone()) {
        EndWith(Outcome::Failed(Reason::kConnectionLost,
                                end.detail.empty() ? "The answer ended early" : end.detail));
        return;
    }
    // Another connection fetches the rest of the part.
    Drop(connection);
    Schedule();
    CheckComplete();
}

// The connection failed at its start: splitting is over, and one connection
// at a time fetches what is left. When it was the last, the transfer ends,
// with `if_last`, or asking for the whole file anew when `refused`.
void SplitTransfer::GiveUpOn(Connection& connection, Outcome if_last, bool refused) {
    fell_back_ = true;
    const bool last = connections_.size() == 1;
    Drop(connection);
    if (!last) return;
    if (!refused) {
        EndWith(std::move(if_last));
        return;
    }
    Abandon();
    const std::function<void()> refuse = std::move(calls_.on_refused);
    refuse();
}

void SplitTransfer::Drop(Connection& connection) {
    if (setup_.budget != nullptr) setup_.budget->Give(host_);
    const auto found = std::find_if(connections_.begin(), connections_.end(),
                                    [&](const auto& held) { return held.get() == &connection; });
    connections_.erase(found);
}

// Writes the connection's gathered bytes into their part; a failure ends the
// transfer, and false says so.
bool SplitTransfer::WriteOut(Connection& connection) {
    if (connection.buffer.empty()) return true;
    const Status written = files::WriteAt(setup_.descriptor, connection.buffer.data(),
                                          connection.buffer.size(), connection.written_to);
    if (!written) {
        Failure failure = written.failure();
        if (failure.system == std::errc::no_space_on_device) failure.reason = Reason::kDiskFull;
        EndWith(Outcome::Failed(std::move(failure)));
        return false;
    }
    const auto count = static_cast<int64_t>(connection.buffer.size());
    layout_.Add(PartOf(connection.part_start), count);
    connection.written_to += count;
    connection.buffer.clear();
    return true;
}

// Writes the connection's gathered bytes when it can: bytes that cannot be
// written are left out, and the part counts only what is on disk.
void SplitTransfer::WriteOutIfAble(Connection& connection) {
    if (!connection.buffer.empty() &&
        files::WriteAt(setup_.descriptor, connection.buffer.data(), connection.buffer.size(),
                       connection.written_to)) {
        layout_.Add(PartOf(connection.part_start), static_cast<int64_t>(connection.buffer.size()));
        connection.written_to += static_cast<int64_t>(connection.buffer.size());
    }
    connection.buffer.clear();
}

void SplitTransfer::CheckComplete() {
    if (ended_ || !layout_.IsComplete()) return;
    EndWith(Outcome::Complete());
}

void SplitTransfer::EndWith(Outcome outcome) {
    Abandon();
    const std::function<void(Outcome)> done = std::move(calls_.on_done);
    done(std::move(outcome));
}

void SplitTransfer::Abandon() {
    if (setup_.budget != nullptr && !ended_) setup_.budget->Leave(*this);
    ended_ = true;
    for (const auto& connection : connections_) WriteOutIfAble(*connection);
    if (setup_.budget != nullptr) {
        for (size_t i = 0; i < connections_.size(); ++i) setup_.budget->Give(host_);
    }
    connections_.clear();
}

} // namespace tarnwick::transfer
