// One request and its answer: the only receiver of HTTP bodies in the
// program, for pages, probes, playlists, keys, pieces of streams and the
// parts of files alike. A fetch takes a slot of the run's connection budget
// before it goes out; asks for a range of bytes where told to, with the
// version they must be of; checks the answer against what it asked; keeps
// the time limits and, where asked, a least rate; tries again after a
// failure where its rule says so; and ends with one Outcome. The body goes
// to memory, or to a sink (a part of a file, a page reader) as it comes.
#pragma once

#include "common/outcome.h"
#include "common/result.h"
#include "platform/clock.h"
#include "platform/http_client.h"
#include "platform/trace.h"
#include "transfer/connection_budget.h"
#include "transfer/header_fields.h"
#include "transfer/rate_watch.h"
#include "transfer/time_limits.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::transfer {

// What every request of one item goes out with.
struct RequestContext {
    platform::HttpClient& http;
    platform::Clock& clock;
    TimeLimits limits = {};
    // Shared by the run's requests; none counts nothing.
    ConnectionBudget* budget = nullptr;
    // Where the requests may go; each answer narrows it for those after
    // (platform::ReachAfter).
    platform::HttpRequest::Reach reach = platform::HttpRequest::Reach::kAnywhere;
    // Sent as the User-Agent, unless empty, and further "Name: value" lines.
    std::string user_agent = {};
    std::vector<std::string> headers = {};
    // The item's cookies, one Netscape cookies.txt line each.
    std::vector<std::string> cookies = {};
    // Where the decisions of the requests' owners are written, tagged with
    // who asks ("item 7"); none writes nowhere.
    platform::Trace* trace = nullptr;
    std::string tag = {};

    // Writes the line `make` returns, tagged, when the run's trace is on.
    void Note(const std::function<std::string()>& make) const {
        if (trace != nullptr)
            trace->Note(platform::TraceArea::kRun, [&] { return tag + ": " + make(); });
    }
};

// How an answer fits what was asked for.
enum class Fit : uint8_t {
    kAsAsked,   // a success answer with the bytes asked for
    kWhole,     // the whole resource, where a part was asked for
    kOtherPart, // other bytes, another version or size, coded bytes, or 416
    kError,     // an error status
};

struct FetchRequest {
    enum class Method : uint8_t { kGet, kHead };
    Method method = Method::kGet;
    std::string url;
    // The bytes from `from` on: `length` of them, or to the end; none asks
    // for the whole.
    std::optional<int64_t> from = std::nullopt;
    std::optional<int64_t> length = std::nullopt;
    // The version a range must be of (If-Range), when one is asked for.
    std::string validator = {};
    // The whole resource's size, where it is known: a part of a resource of
    // another size is not of it.
    std::optional<int64_t> total = std::nullopt;
    ConnectionBudget::Claim claim = ConnectionBudget::Claim::kPage;
    // Any answer is taken, an error page as well; otherwise only an answer as
    // asked, and the fetch fails at any other.
    bool any_answer = false;
    // A probe: HTTP/1.0, asking caches for a fresh answer.
    bool probe = false;
    // A page may come compressed; anything else is asked for as it is.
    bool accept_compression = false;
    // A body that comes at under this rate ends the fetch, failed with
    // `too_slow`.
    std::optional<LeastRate> least_rate = std::nullopt;
    Reason too_slow = Reason::kPageTooSlow;
    // The most bytes a body kept in memory may have.
    int64_t most_bytes = 64LL << 20;
    // How many more times a failed fetch into memory is tried, after 1, 2,
    // 4, ... seconds. Never again: a refused address, a body past its bound,
    // a sink's failure.
    int retries = 0;
};

// What an answer told.
struct FetchAnswer {
    platform::HttpAnswer head;
    Fit fit = Fit::kError;
    // The address that answered, after redirects.
    std::string url;
    std::string media_type;
    // Those of the resource, where the answer tells them; a coded answer
    // tells neither.
    std::string validator;
    std::optional<int64_t> total;
    bool coded = false;
};

struct FetchEnd {
    Outcome outcome = Outcome::Cancelled();
    // Whether an answer came, and what it told.
    bool answered = false;
    FetchAnswer answer;
    // The body, when it went to memory and the fetch is complete.
    std::string body;
    // The body's bytes that came.
    int64_t received = 0;
};

// Where a body goes as it comes, instead of memory.
class BodySink {
public:
    virtual ~BodySink() = default;
    // A failure ends the fetch with it.
    virtual Status Take(const char* data, size_t size) = 0;
};

class Fetch : private platform::HttpReceiver {
public:
    struct Calls {
        // The answer began; an outcome ends the fetch with it (a failure as
        // any other, tried again where the rule says so), none takes the
        // body. Must not destroy the fetch. None takes any answer that fits.
        std::function<std::optional<Outcome>(const FetchAnswer& answer)> on_answer = nullptr;
        // Body bytes came and went where they go; may destroy the fetch.
        std::function<void(size_t size)> on_body = nullptr;
        // Once, last; may destroy the fetch.
        std::function<void(FetchEnd end)> on_done = nullptr;
    };

    explicit Fetch(RequestContext& context);
    ~Fetch() override;
    Fetch(const Fetch&) = delete;
    Fetch& operator=(const Fetch&) = delete;

    // Sends the request once it has a slot: `slot` when given, else one it
    // asks the budget for. Every call comes from the event loop.
    void Start(FetchRequest request, Calls calls,
               std::optional<ConnectionBudget::Slot> slot = std::nullopt);
    // The body goes to `sink` from now on; none keeps it in memory.
    void SetSink(BodySink* sink) { sink_ = sink; }
    // Hands the rest of the fetch to other calls: allowed from inside on_answer.
    void SetCalls(Calls calls) { calls_ = std::move(calls); }
    // Ends the least rate this fetch keeps, from now on.
    void DropLeastRate();
    // A page's fetch, beyond the speed limit, whose answer is a video to
    // download: it keeps to the limit from now on.
    void KeepToLimit();

    const FetchRequest& Request() const { return request_; }
    bool Answered() const { return answered_; }
    int64_t Received() const { return received_; }

private:
    void Send(ConnectionBudget::Slot slot);
    void OnAnswer(const platform::HttpAnswer& head) override;
    void OnBody(const char* data, size_t size) override;
    void OnEnd(const platform::HttpEnd& end) override;
    void Fail(Failure failure, bool may_retry = true);
    void Finish(Outcome outcome);
    void Close();

    RequestContext& context_;
    FetchRequest request_;
    Calls calls_;
    BodySink* sink_ = nullptr;
    LimitWatch watch_;
    std::unique_ptr<RateWatch> rate_;
    std::unique_ptr<platform::Timer> retry_;
    std::unique_ptr<ConnectionBudget::Waiting> waiting_;
    ConnectionBudget::Slot slot_;
    std::unique_ptr<platform::HttpExchange> exchange_;
    int tries_ = 0;
    bool kept_to_limit_ = false;
    bool answered_ = false;
    FetchAnswer answer_;
    std::string body_;
    int64_t received_ = 0;
};

// How `answer` fits a request for `request`'s bytes.
Fit FitOf(const FetchRequest& request, const platform::HttpAnswer& answer);
// What an answer that does not fit so, with that status, fails with.
Failure FailureOfFit(Fit fit, int status);

// How an answer's status ends a request for a file: success for a success
// status, the failure otherwise.
Status StatusOfAnswer(int http_status);

} // namespace tarnwick::transfer
