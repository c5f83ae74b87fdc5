#include "curl/curl_client.h"

#include "curl/http_trace.h"
#include "transfer/rate_limit.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tarnwick::curl {
namespace {

constexpr long kMaxRedirects = 10;
constexpr long kReceiveBufferSize = 256 * 1024;
// The body bytes one turn of the event loop hands on at most. curl reads on
// while its socket has more, up to a hundred buffers in one call; a fast
// transfer would hold the event loop for tens of milliseconds. Past this, the
// transfer pauses until the event loop's next turn.
constexpr size_t kBytesPerTurn = 2 * 1024 * 1024;
// Transfers the speed limit holds go on once this part of a burst is
// allowed again: a few wake-ups per burst rather than one per byte.
constexpr int64_t kReleasesPerBurst = 4;

// What a write or header callback returns to make curl fail the transfer.
#ifdef CURL_WRITEFUNC_ERROR
constexpr size_t kAbortTransfer = CURL_WRITEFUNC_ERROR;
#else
constexpr size_t kAbortTransfer = 0;
#endif

// One request: its easy handle with what curl reads from it, and what has
// been learnt of its answer so far.
struct Transfer {
    Transfer() = default;
    ~Transfer() {
        // The easy handle points at the address and the header list.
        if (easy != nullptr) curl_easy_cleanup(easy);
        if (url != nullptr) curl_url_cleanup(url);
        if (headers != nullptr) curl_slist_free_all(headers);
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    uint64_t id = 0;
    CurlCore* core = nullptr;
    // Null once the exchange is gone or the client closes.
    platform::HttpReceiver* receiver = nullptr;
    CURL* easy = nullptr;
    CURLU* url = nullptr;
    curl_slist* headers = nullptr;
    char error[CURL_ERROR_SIZE] = {};
    // Why the request never reached curl, told from the event loop.
    std::string start_failure;
    bool added = false;     // in the multi handle
    bool paused = false;    // held by the turn's budget until the next turn
    bool throttled = false; // held by the speed limit until it allows more
    bool beyond_limit = false;
    // Body bytes read past what the turn's budget or the speed limit let go
    // on. They go on first when the transfer resumes. Meanwhile curl is
    // paused holding nothing of its own, so it copies nothing: its copies
    // land in fresh memory each time, ours in this reused buffer. curl is
    // paused exactly while bytes are held.
    std::vector<char> held;
    size_t held_from = 0; // what of `held` has gone on
    bool Holds() const { return held_from < held.size(); }

    platform::HttpRequest::Reach reach = platform::HttpRequest::Reach::kAnywhere;
    // Whether the first request went to a public address, once it went.
    std::optional<bool> began_public;
    // The address of the last connection the reach refused; empty once a
    // connection is used.
    std::string refused;

    bool head_ended = false;    // the blank line of an answer other than an interim one
    bool head_complete = false; // ... and of the final answer
    bool answered = false;      // OnAnswer was called
};

// Whether the transfer's reach lets it use a connection to such an address.
bool MayReach(const Transfer& transfer, bool is_public) {
    using Reach = platform::HttpRequest::Reach;
    switch (transfer.reach) {
        case Reach::kAnywhere: return true;
        case Reach::kPublicOnly: return is_public;
        case Reach::kFirstDecides: return is_public || !transfer.began_public.value_or(false);
    }
    return false;
}

long ResponseCode(CURL* easy) {
    long code = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

std::string EffectiveUrl(CURL* easy) {
    const char* url = nullptr;
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &url);
    return url != nullptr ? url : "";
}

// Whether the head of the latest answer has a Location field.
bool HasLocation(CURL* easy) {
    curl_header* location = nullptr;
    return curl_easy_header(easy, "Location", 0, CURLH_HEADER, -1, &location) == CURLHE_OK;
}

// A field's value without the blanks around it. curl leaves the line's CR
// in a value that is empty.
std::string_view Trimmed(std::string_view value) {
    constexpr std::string_view kBlanks = " \t\r\n";
    value.remove_prefix(std::min(value.find_first_not_of(kBlanks), value.size()));
    value.remove_suffix(value.size() - (value.find_last_not_of(kBlanks) + 1));
    return value;
}

// The header fields of the latest answer, as curl keeps them: neither those
// of interim answers nor trailers.
std::vector<platform::HttpField> LatestFields(CURL* easy) {
    std::vector<platform::HttpField> fields;
    curl_header* field = nullptr;
    while ((field = curl_easy_nextheader(easy, CURLH_HEADER, -1, field)) != nullptr) {
        fields.push_back({field->name, std::string(Trimmed(field->value))});
    }
    return fields;
}

// Follows the head lines of `transfer`'s answers; true for the blank line
// that ends the final answer's head. Interim answers and redirects that curl
// follows start afresh; the trailers of a chunked body are left out.
bool EndsFinalHead(Transfer& transfer, std::string_view line) {
    if (line.starts_with("HTTP/")) {
        transfer.head_ended = false;
        transfer.head_complete = false;
        return false;
    }
    if (transfer.head_complete || (line != "\r\n" && line != "\n")) return false;
    const long code = ResponseCode(transfer.easy);
    const bool interim = code >= 100 && code < 200;
    const bool redirect = code >= 300 && code < 400 && HasLocation(transfer.easy);
    transfer.head_ended = !interim;
    transfer.head_complete = !interim && !redirect;
    return transfer.head_complete;
}

class CurlExchange : public platform::HttpExchange {
public:
    CurlExchange(std::weak_ptr<CurlCore> core, uint64_t id) : core_(std::move(core)), id_(id) {}
    ~CurlExchange() override;
    void SetReceiver(platform::HttpReceiver& receiver) override;
    void KeepToLimit() override;

private:
    std::weak_ptr<CurlCore> core_;
    uint64_t id_;
};

} // namespace

// The multi handle and everything that drives it. Qt calls in through socket
// notifiers, the timer and queued reports; curl calls back through the
// socket, timer, header and write callbacks. A receiver called from inside
// curl may destroy exchanges, start new ones or close the client: what curl
// forbids during its own calls (adding and removing handles) waits until the
// call has returned, and the transfer whose exchange is gone fails its next
// callback so that curl lets go of it.
class CurlCore : public std::enable_shared_from_this<CurlCore> {
public:
    static std::shared_ptr<CurlCore> Create(std::string user_agent, PublicTest is_public) {
        std::shared_ptr<CurlCore> core(new CurlCore(std::move(user_agent), std::move(is_public)));
        QObject::connect(core->timer_, &QTimer::timeout, core->timer_,
                         [weak = core->weak_from_this()] {
                             if (const auto alive = weak.lock()) alive->OnTimeout();
                         });
        QObject::connect(core->release_timer_, &QTimer::timeout, core->release_timer_,
                         [weak = core->weak_from_this()] {
                             if (const auto alive = weak.lock()) alive->ReleaseThrottled();
                         });
        return core;
    }
    ~CurlCore() { Teardown(false); }
    CurlCore(const CurlCore&) = delete;
    CurlCore& operator=(const CurlCore&) = delete;

    std::unique_ptr<platform::HttpExchange> Start(const platform::HttpRequest& request,
                                                  platform::HttpReceiver& receiver);
    // The exchange `id` is gone: silences its receiver and frees its transfer
    // as soon as curl allows.
    void Abandon(uint64_t id);
    // The exchange `id` is heard by `receiver` from now on.
    void SetReceiver(uint64_t id, platform::HttpReceiver& receiver);
    // The exchange `id` keeps to the speed limit from now on.
    void KeepToLimit(uint64_t id);
    // The client is gone: silences every receiver and frees everything, once
    // no call from Qt into this object is under way.
    void Close();
    void SetTrace(platform::Trace& trace) { trace_ = &trace; }
    // Holds the body bytes of every transfer together to `bytes_per_second`
    // from now on; 0 lifts the limit.
    void SetSpeedLimit(int64_t bytes_per_second);

private:
    struct Watch {
        int what = CURL_POLL_NONE;
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };
    using Transfers = std::unordered_map<uint64_t, std::unique_ptr<Transfer>>;

    CurlCore(std::string user_agent, PublicTest is_public);

    bool Configure(Transfer& transfer, const platform::HttpRequest& request);
    void Note(const std::function<std::string()>& make) {
        if (trace_ != nullptr) trace_->Note(platform::TraceArea::kHttp, make);
    }
    void Add(Transfer& transfer);
    void Free(Transfers::iterator found);
    void PostStartFailure(uint64_t id);
    void ReportStartFailure(uint64_t id);

    void OnReady(QSocketNotifier* notifier, curl_socket_t socket, int mask);
    void OnTimeout();
    // How many of `bytes` new body bytes go on now, within this turn's budget
    // and the speed limit. A transfer given fewer pauses: one past the budget
    // is resumed in the next turn, one the limit holds when it allows more.
    size_t Allowance(Transfer& transfer, size_t bytes);
    void HoldForTurn(Transfer& transfer);
    void HoldBack(Transfer& transfer, const char* data, size_t bytes);
    void GoOn(Transfer& transfer);
    bool HandOnHeld(Transfer& transfer);
    void PostResume();
    void ResumePaused();
    void Throttle(Transfer& transfer);
    void ScheduleRelease();
    void ReleaseThrottled();
    static platform::TimePoint Now() { return std::chrono::steady_clock::now(); }
    void Drive(curl_socket_t socket, int mask);
    void Settle();
    void FlushDeferred();
    void Finish(CURL* easy, CURLcode result);
    void DeliverAnswer(Transfer& transfer);
    void LeaveDriving();
    void Teardown(bool inside_qt_call);

    void WatchSocket(curl_socket_t socket, int what);
    void Apply(curl_socket_t socket, Watch& watch);
    QSocketNotifier* NewNotifier(curl_socket_t socket, QSocketNotifier::Type type, int mask);
    void ResumeMissed();

    static int SocketCallback(CURL* easy, curl_socket_t socket, int what, void* core,
                              void* socket_data);
    static int TimerCallback(CURLM* multi, long timeout_ms, void* core);
    static size_t HeaderCallback(char* data, size_t size, size_t count, void* transfer);
    static size_t WriteCallback(char* data, size_t size, size_t count, void* transfer);
    static curl_socket_t OpenSocketCallback(void* transfer, curlsocktype purpose,
                                            curl_sockaddr* address);
    static int PrerequestCallback(void* transfer, char* primary_ip, char* local_ip,
                                  int primary_port, int local_port);

    std::string user_agent_;
    PublicTest is_public_;
    platform::Trace* trace_ = nullptr;
    CURLM* multi_ = nullptr;
    // Parent of the timer and the notifiers, and the context of queued reports.
    QObject* context_ = nullptr;
    QTimer* timer_ = nullptr;
    // Wakes the transfers the speed limit holds.
    QTimer* release_timer_ = nullptr;
    std::unordered_map<curl_socket_t, Watch> watches_;

    Transfers transfers_;
    uint64_t next_id_ = 1;
    // Work that waits for curl's current call to return.
    std::vector<uint64_t> pending_adds_;
    std::vector<uint64_t> pending_removals_;

    int in_curl_ = 0;              // inside curl_multi_socket_action
    size_t turn_bytes_ = 0;        // body bytes handed on in this turn
    std::vector<uint64_t> paused_; // transfers the budget paused
    bool resume_posted_ = false;
    transfer::RateLimit limit_{0, Now()};
    std::vector<uint64_t> throttled_; // transfers the limit holds, the first to go on first
    int driving_ = 0;                 // inside a call from Qt that may reach a receiver
    bool missed_ = false;             // a wake-up came while inside curl
    bool missed_timeout_ = false;
    bool missed_release_ = false;
    bool closing_ = false;
    bool closed_ = false;
};

namespace {

CurlExchange::~CurlExchange() {
    if (const auto core = core_.lock()) core->Abandon(id_);
}

void CurlExchange::SetReceiver(platform::HttpReceiver& receiver) {
    if (const auto core = core_.lock()) core->SetReceiver(id_, receiver);
}

void CurlExchange::KeepToLimit() {
    if (const auto core = core_.lock()) core->KeepToLimit(id_);
}

} // namespace

CurlCore::CurlCore(std::string user_agent, PublicTest is_public)
    : user_agent_(std::move(user_agent)),
      is_public_(std::move(is_public)),
      multi_(curl_multi_init()),
      context_(new QObject),
      timer_(new QTimer(context_)),
      release_timer_(new QTimer(context_)) {
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    release_timer_->setSingleShot(true);
    release_timer_->setTimerType(Qt::PreciseTimer);
    if (multi_ == nullptr) return;
    curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlCore::SocketCallback);
    curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlCore::TimerCallback);
    curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
}

std::unique_ptr<platform::HttpExchange> CurlCore::Start(const platform::HttpRequest& request,
                                                        platform::HttpReceiver& receiver) {
    auto owned = std::make_unique<Transfer>();
    Transfer& transfer = *owned;
    transfer.id = next_id_++;
    transfer.core = this;
    transfer.receiver = &receiver;
    transfer.reach = request.reach;
    transfer.beyond_limit = request.beyond_limit;
    transfers_.emplace(transfer.id, std::move(owned));
    Note([&] { return RequestLine(transfer.id, request); });
    if (!Configure(transfer, request)) {
        PostStartFailure(transfer.id);
    } else if (in_curl_ > 0) {
        pending_adds_.push_back(transfer.id);
    } else {
        Add(transfer);
    }
    return std::make_unique<CurlExchange>(weak_from_this(), transfer.id);
}

// Hands the request's cookies to the transfer's own cookie engine, which
// matches each to the host, path and scheme of every request it makes, as a
// browser does. Without cookies the engine stays off.
static bool UseCookies(CURL* easy, const std::vector<std::string>& cookies) {
    if (cookies.empty()) return true;
    if (curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "") != CURLE_OK) return false;
    for (const std::string& line : cookies) {
        if (curl_easy_setopt(easy, CURLOPT_COOKIELIST, line.c_str()) != CURLE_OK) return false;
    }
    return true;
}

bool CurlCore::Configure(Transfer& transfer, const platform::HttpRequest& request) {
    transfer.easy = curl_easy_init();
    transfer.url = curl_url();
    if (multi_ == nullptr || transfer.easy == nullptr || transfer.url == nullptr) {
        transfer.start_failure = curl_easy_strerror(CURLE_OUT_OF_MEMORY);
        return false;
    }
    // Blanks and 8-bit characters of a link are sent percent-encoded.
    const CURLUcode parsed = curl_url_set(transfer.url, CURLUPART_URL, request.url.c_str(),
                                          CURLU_ALLOW_SPACE | CURLU_URLENCODE);
    if (parsed != CURLUE_OK) {
        transfer.start_failure = curl_url_strerror(parsed);
        return false;
    }
    CURL* easy = transfer.easy;
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer.error);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
#if LIBCURL_VERSION_NUM >= 0x075700
    // Removing a transfer whose host name is still being looked up leaves the
    // lookup's thread to end by itself instead of waiting for it.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
#endif
    const std::string& agent = request.user_agent.empty() ? user_agent_ : request.user_agent;
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str()); // copied
    curl_easy_setopt(easy, CURLOPT_PROXY, ""); // direct, also when the environment names a proxy
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlCore::HeaderCallback);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlCore::WriteCallback);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    // Each connection's address is checked before it is made, and each
    // request's before it is sent, a reused connection's too.
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &CurlCore::OpenSocketCallback);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &CurlCore::PrerequestCallback);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, request.accept_compression ? "" : "identity");
    const long version = request.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1;
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, version);
    if (request.method == platform::HttpRequest::Method::kHead) {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        // The answer's Content-Length is read by the caller, whatever it holds.
        curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }
    std::vector<std::string> lines;
    if (request.bypass_caches) lines = {"Pragma: no-cache", "Cache-Control: no-cache"};
    lines.insert(lines.end(), request.headers.begin(), request.headers.end());
    for (const std::string& line : lines) {
        curl_slist* appended = curl_slist_append(transfer.headers, line.c_str());
        if (appended == nullptr) {
            transfer.start_failure = curl_easy_strerror(CURLE_OUT_OF_MEMORY);
            return false;
        }
        transfer.headers = appended;
    }
    if (transfer.headers != nullptr) curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer.headers);
    if (!UseCookies(easy, request.cookies)) {
        transfer.start_failure = curl_easy_strerror(CURLE_OUT_OF_MEMORY);
        return false;
    }
    const CURLcode url_set = curl_easy_setopt(easy, CURLOPT_CURLU, transfer.url);
    if (url_set != CURLE_OK) {
        transfer.start_failure = curl_easy_strerror(url_set);
        return false;
    }
    return true;
}

void CurlCore::Add(Transfer& transfer) {
    // Calls the timer callback with no delay: the transfer begins from the event loop.
    const CURLMcode added = curl_multi_add_handle(multi_, transfer.easy);
    if (added == CURLM_OK) {
        transfer.added = true;
        return;
    }
    transfer.start_failure = curl_multi_strerror(added);
    PostStartFailure(transfer.id);
}

void CurlCore::Free(Transfers::iterator found) {
    // Removing an unfinished transfer closes its connection.
    if (found->second->added) curl_multi_remove_handle(multi_, found->second->easy);
    transfers_.erase(found);
}

void CurlCore::Abandon(uint64_t id) {
    const auto found = transfers_.find(id);
    if (found == transfers_.end()) return;
    found->second->receiver = nullptr;
    if (closing_) return; // the teardown frees it
    if (found->second->added && in_curl_ > 0) {
        pending_removals_.push_back(id);
        return;
    }
    Free(found);
}

void CurlCore::SetReceiver(uint64_t id, platform::HttpReceiver& receiver) {
    const auto found = transfers_.find(id);
    if (found != transfers_.end() && found->second->receiver != nullptr) {
        found->second->receiver = &receiver;
    }
}

void CurlCore::KeepToLimit(uint64_t id) {
    const auto found = transfers_.find(id);
    if (found != transfers_.end()) found->second->beyond_limit = false;
}

void CurlCore::Close() {
    closing_ = true;
    for (auto& [id, transfer] : transfers_) transfer->receiver = nullptr;
    if (driving_ == 0) Teardown(false);
}

void CurlCore::PostStartFailure(uint64_t id) {
    QMetaObject::invokeMethod(
        context_,
        [weak = weak_from_this(), id] {
            if (const auto core = weak.lock()) core->ReportStartFailure(id);
        },
        Qt::QueuedConnection);
}

void CurlCore::ReportStartFailure(uint64_t id) {
    if (closing_) return;
    const auto found = transfers_.find(id);
    if (found == transfers_.end()) return;
    platform::HttpReceiver* receiver = found->second->receiver;
    const platform::HttpEnd end{platform::HttpEnd::Kind::kCannotConnect,
                                found->second->start_failure};
    transfers_.erase(found);
    Note([&] { return EndLine(id, end, 0); });
    if (receiver == nullptr) return;
    ++driving_;
    receiver->OnEnd(end);
    LeaveDriving();
}

void CurlCore::OnReady(QSocketNotifier* notifier, curl_socket_t socket, int mask) {
    if (in_curl_ > 0) {
        // A receiver runs an event loop of its own inside a curl callback;
        // the socket is served once that callback has returned. Until then
        // its notifier rests, or it would fire again at once.
        notifier->setEnabled(false);
        missed_ = true;
        return;
    }
    // The notifier stays enabled while its socket is served: turning it off
    // and on would wake the event loop twice for every read.
    Drive(socket, mask);
    if (closed_) return;
    const auto found = watches_.find(socket);
    if (found != watches_.end()) Apply(socket, found->second);
}

void CurlCore::OnTimeout() {
    if (in_curl_ > 0) {
        missed_ = true;
        missed_timeout_ = true;
        return;
    }
    Drive(CURL_SOCKET_TIMEOUT, 0);
}

void CurlCore::Drive(curl_socket_t socket, int mask) {
    // Each call from the event loop is a turn of its own.
    if (in_curl_ == 0) turn_bytes_ = 0;
    ++driving_;
    ++in_curl_;
    int running = 0;
    curl_multi_socket_action(multi_, socket, mask, &running);
    --in_curl_;
    if (!closing_) {
        ResumeMissed();
        Settle();
    }
    LeaveDriving();
}

void CurlCore::LeaveDriving() {
    --driving_;
    // Still inside the notifier's, timer's or queued call that led here.
    if (driving_ == 0 && closing_) Teardown(true);
}

void CurlCore::Settle() {
    while (!closing_) {
        FlushDeferred();
        int left = 0;
        const CURLMsg* message = curl_multi_info_read(multi_, &left);
        if (message == nullptr) return;
        if (message->msg == CURLMSG_DONE) Finish(message->easy_handle, message->data.result);
    }
}

void CurlCore::FlushDeferred() {
    // Removing a handle also drops its pending end message.
    for (const uint64_t id : std::exchange(pending_removals_, {})) {
        const auto found = transfers_.find(id);
        if (found != transfers_.end()) Free(found);
    }
    for (const uint64_t id : std::exchange(pending_adds_, {})) {
        const auto found = transfers_.find(id);
        if (found != transfers_.end()) Add(*found->second);
    }
}

void CurlCore::Finish(CURL* easy, CURLcode result) {
    char* data = nullptr;
    curl_easy_getinfo(easy, CURLINFO_PRIVATE, &data);
    Transfer& transfer = *reinterpret_cast<Transfer*>(data);
    curl_multi_remove_handle(multi_, easy);
    transfer.added = false;
    const uint64_t id = transfer.id;
    if (transfer.receiver == nullptr) {
        transfers_.erase(id);
        return;
    }
    platform::HttpEnd end;
    if (result != CURLE_OK && !transfer.answered && !transfer.refused.empty()) {
        end.kind = platform::HttpEnd::Kind::kRefusedAddress;
        end.detail = transfer.refused;
    } else if (result == CURLE_OK && !transfer.answered && transfer.head_ended) {
        // A redirect curl did not follow is the answer.
        DeliverAnswer(transfer);
        const auto found = transfers_.find(id);
        if (found == transfers_.end() || found->second->receiver == nullptr) return;
    } else if (result == CURLE_OK && !transfer.answered) {
        // The connection closed within the head.
        end.kind = platform::HttpEnd::Kind::kCannotConnect;
        end.detail = curl_easy_strerror(CURLE_WEIRD_SERVER_REPLY);
    } else if (result != CURLE_OK) {
        end.kind = transfer.answered ? platform::HttpEnd::Kind::kBroken
                                     : platform::HttpEnd::Kind::kCannotConnect;
        end.detail = transfer.error[0] != '\0' ? transfer.error : curl_easy_strerror(result);
    }
    Note([&] {
        curl_off_t body_bytes = 0;
        curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &body_bytes);
        return EndLine(id, end, body_bytes);
    });
    platform::HttpReceiver* receiver = transfer.receiver;
    // Destroying the exchange from now on finds nothing to do.
    transfers_.erase(id);
    receiver->OnEnd(end);
}

void CurlCore::DeliverAnswer(Transfer& transfer) {
    transfer.answered = true;
    const platform::HttpAnswer answer{static_cast<int>(ResponseCode(transfer.easy)),
                                      LatestFields(transfer.easy), EffectiveUrl(transfer.easy),
                                      transfer.began_public.value_or(false)};
    Note([&] { return AnswerLine(transfer.id, answer); });
    transfer.receiver->OnAnswer(answer);
}

void CurlCore::Teardown(bool inside_qt_call) {
    if (closed_) return;
    closed_ = true;
    closing_ = true;
    for (auto& [id, transfer] : transfers_) {
        if (transfer->added) curl_multi_remove_handle(multi_, transfer->easy);
    }
    transfers_.clear();
    if (multi_ != nullptr) curl_multi_cleanup(multi_);
    multi_ = nullptr;
    watches_.clear();
    timer_->stop();
    release_timer_->stop();
    if (inside_qt_call) {
        // One of the notifiers or the timer may be the caller.
        for (QSocketNotifier* notifier : context_->findChildren<QSocketNotifier*>()) {
            notifier->setEnabled(false);
        }
        context_->deleteLater();
    } else {
        delete context_;
    }
    context_ = nullptr;
    timer_ = nullptr;
    release_timer_ = nullptr;
}

void CurlCore::WatchSocket(curl_socket_t socket, int what) {
    if (what == CURL_POLL_REMOVE) {
        const auto found = watches_.find(socket);
        if (found == watches_.end()) return;
        // Possibly from inside the notifier's own activation.
        for (QSocketNotifier* notifier : {found->second.read, found->second.write}) {
            if (notifier == nullptr) continue;
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
        watches_.erase(found);
        return;
    }
    Watch& watch = watches_[socket];
    watch.what = what;
    Apply(socket, watch);
}

void CurlCore::Apply(curl_socket_t socket, Watch& watch) {
    const bool read = (watch.what & CURL_POLL_IN) != 0;
    const bool write = (watch.what & CURL_POLL_OUT) != 0;
    if (read && watch.read == nullptr) {
        watch.read = NewNotifier(socket, QSocketNotifier::Read, CURL_CSELECT_IN);
    }
    if (write && watch.write == nullptr) {
        watch.write = NewNotifier(socket, QSocketNotifier::Write, CURL_CSELECT_OUT);
    }
    if (watch.read != nullptr) watch.read->setEnabled(read);
    if (watch.write != nullptr) watch.write->setEnabled(write);
}

QSocketNotifier* CurlCore::NewNotifier(curl_socket_t socket, QSocketNotifier::Type type, int mask) {
    auto* notifier = new QSocketNotifier(static_cast<qintptr>(socket), type, context_);
    notifier->setEnabled(false);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [weak = weak_from_this(), notifier, socket, mask] {
                         if (const auto core = weak.lock()) core->OnReady(notifier, socket, mask);
                     });
    return notifier;
}

void CurlCore::ResumeMissed() {
    if (!std::exchange(missed_, false)) return;
    for (auto& [socket, watch] : watches_) Apply(socket, watch);
    if (std::exchange(missed_timeout_, false)) timer_->start(0);
    if (std::exchange(missed_release_, false)) release_timer_->start(0);
}

int CurlCore::SocketCallback(CURL*, curl_socket_t socket, int what, void* core, void*) {
    auto& self = *static_cast<CurlCore*>(core);
    if (!self.closed_) self.WatchSocket(socket, what);
    return 0;
}

int CurlCore::TimerCallback(CURLM*, long timeout_ms, void* core) {
    auto& self = *static_cast<CurlCore*>(core);
    if (self.closed_) return 0;
    if (timeout_ms < 0) {
        self.timer_->stop();
    } else {
        self.timer_->start(static_cast<int>(std::min<long>(timeout_ms, INT_MAX)));
    }
    return 0;
}

size_t CurlCore::HeaderCallback(char* data, size_t size, size_t count, void* user) {
    Transfer& transfer = *static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (transfer.receiver == nullptr) return kAbortTransfer;
    if (EndsFinalHead(transfer, std::string_view(data, bytes)) && !transfer.answered) {
        // The receiver may destroy the exchange; the transfer lives on until
        // curl's call returns.
        transfer.core->DeliverAnswer(transfer);
        if (transfer.receiver == nullptr) return kAbortTransfer;
    }
    return bytes;
}

size_t CurlCore::Allowance(Transfer& transfer, size_t bytes) {
    if (turn_bytes_ >= kBytesPerTurn) {
        HoldForTurn(transfer);
        return 0;
    }
    if (transfer.beyond_limit) {
        turn_bytes_ += bytes;
        return bytes;
    }
    const platform::TimePoint now = Now();
    const int64_t available = limit_.Available(now);
    const size_t allowed = std::cmp_less(available, bytes) ? static_cast<size_t>(available) : bytes;
    limit_.Take(static_cast<int64_t>(allowed), now);
    turn_bytes_ += allowed;
    if (allowed < bytes) Throttle(transfer);
    return allowed;
}

void CurlCore::HoldForTurn(Transfer& transfer) {
    transfer.paused = true;
    paused_.push_back(transfer.id);
    PostResume();
}

void CurlCore::PostResume() {
    if (resume_posted_) return;
    resume_posted_ = true;
    QMetaObject::invokeMethod(
        context_,
        [weak = weak_from_this()] {
            if (const auto core = weak.lock()) core->ResumePaused();
        },
        Qt::QueuedConnection);
}

// Resumes the paused transfers while the turn has room. One resumed past it
// would only pause again at once, and curl would copy what it holds back
// once more.
void CurlCore::ResumePaused() {
    resume_posted_ = false;
    if (closing_) return;
    turn_bytes_ = 0;
    ++driving_;
    const std::vector<uint64_t> waiting = std::exchange(paused_, {});
    auto next = waiting.begin();
    while (next != waiting.end() && !closing_ && turn_bytes_ < kBytesPerTurn) {
        const auto found = transfers_.find(*next++);
        if (found == transfers_.end() || !found->second->paused) continue;
        found->second->paused = false;
        GoOn(*found->second);
    }
    if (!closing_) {
        // Those the turn had no room for go first in the next.
        paused_.insert(paused_.begin(), next, waiting.end());
        if (!paused_.empty()) PostResume();
        ResumeMissed();
        Settle();
    }
    LeaveDriving();
}

void CurlCore::SetSpeedLimit(int64_t bytes_per_second) {
    if (closing_) return;
    limit_.SetRate(bytes_per_second, Now());
    // The held transfers go on at the new pace; at once without a limit.
    if (!throttled_.empty()) ScheduleRelease();
}

void CurlCore::Throttle(Transfer& transfer) {
    transfer.throttled = true;
    throttled_.push_back(transfer.id);
    if (!release_timer_->isActive()) ScheduleRelease();
}

void CurlCore::ScheduleRelease() {
    const int64_t slice = std::max<int64_t>(limit_.Burst() / kReleasesPerBurst, 1);
    release_timer_->start(limit_.UntilAvailable(slice, Now()));
}

void CurlCore::ReleaseThrottled() {
    if (closing_) return;
    if (in_curl_ > 0) {
        missed_ = true;
        missed_release_ = true;
        return;
    }
    turn_bytes_ = 0;
    ++driving_;
    const std::vector<uint64_t> waiting = std::exchange(throttled_, {});
    auto next = waiting.begin();
    while (next != waiting.end() && !closing_ && limit_.Available(Now()) > 0) {
        const auto found = transfers_.find(*next++);
        if (found == transfers_.end() || !found->second->throttled) continue;
        found->second->throttled = false;
        if (found->second->receiver == nullptr) continue;
        GoOn(*found->second);
    }
    if (!closing_) {
        // Those the limit left waiting go first next time, before any that
        // just paused again.
        throttled_.insert(throttled_.begin(), next, waiting.end());
        if (!throttled_.empty() && !release_timer_->isActive()) ScheduleRelease();
        ResumeMissed();
        Settle();
    }
    LeaveDriving();
}

size_t CurlCore::WriteCallback(char* data, size_t size, size_t count, void* user) {
    Transfer& transfer = *static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (transfer.receiver == nullptr) return kAbortTransfer;
    if (!transfer.answered) {
        transfer.core->DeliverAnswer(transfer);
        if (transfer.receiver == nullptr) return kAbortTransfer;
    }
    if (bytes == 0) return 0;
    // Bytes held back go on first; these wait behind them.
    const size_t allowed = transfer.Holds() ? 0 : transfer.core->Allowance(transfer, bytes);
    if (allowed > 0) {
        transfer.receiver->OnBody(data, allowed);
        if (transfer.receiver == nullptr) return kAbortTransfer;
    }
    if (allowed < bytes) transfer.core->HoldBack(transfer, data + allowed, bytes - allowed);
    return bytes;
}

// Keeps bytes the transfer may not hand on yet, and pauses curl so that it
// reads no more. curl may still deliver what it has already read or decoded
// in this call; that is held too.
void CurlCore::HoldBack(Transfer& transfer, const char* data, size_t bytes) {
    const bool paused = transfer.Holds();
    if (transfer.held.capacity() == 0) transfer.held.reserve(kReceiveBufferSize);
    transfer.held.insert(transfer.held.end(), data, data + bytes);
    if (paused) return;
    // Both directions: pausing only the receiving side would have curl run the
    // transfer again at once and read into a copy of its own.
    curl_easy_pause(transfer.easy, CURLPAUSE_ALL);
}

// Hands on what a paused transfer holds as far as the turn and the limit
// allow, and lets curl read on once nothing is left. Called from the event
// loop: what a receiver asks meanwhile waits as it does in curl's calls.
void CurlCore::GoOn(Transfer& transfer) {
    if (transfer.receiver == nullptr) return;
    ++in_curl_;
    // curl hands on anything it holds of its own from inside this call.
    if (HandOnHeld(transfer)) curl_easy_pause(transfer.easy, CURLPAUSE_CONT);
    --in_curl_;
}

// Whether nothing is left held, and the transfer still has a receiver.
bool CurlCore::HandOnHeld(Transfer& transfer) {
    const size_t waiting = transfer.held.size() - transfer.held_from;
    const size_t allowed = waiting == 0 ? 0 : Allowance(transfer, waiting);
    if (allowed > 0) {
        transfer.receiver->OnBody(transfer.held.data() + transfer.held_from, allowed);
        transfer.held_from += allowed;
    }
    if (transfer.receiver == nullptr || allowed < waiting) return false;
    transfer.held.clear();
    transfer.held_from = 0;
    return true;
}

curl_socket_t CurlCore::OpenSocketCallback(void* user, curlsocktype purpose,
                                           curl_sockaddr* address) {
    Transfer& transfer = *static_cast<Transfer*>(user);
    if (purpose == CURLSOCKTYPE_IPCXN) {
        const std::optional<IpAddress> ip = IpAddressOf(address->addr);
        if (!MayReach(transfer, ip && transfer.core->is_public_(*ip))) {
            // Another of the host's addresses may still be allowed.
            transfer.refused = AddressText(address->addr);
            return CURL_SOCKET_BAD;
        }
    }
    return ::socket(address->family, address->socktype, address->protocol);
}

int CurlCore::PrerequestCallback(void* user, char* primary_ip, char*, int, int) {
    Transfer& transfer = *static_cast<Transfer*>(user);
    const std::optional<IpAddress> ip = ParseIpAddress(primary_ip);
    const bool is_public = ip && transfer.core->is_public_(*ip);
    if (!MayReach(transfer, is_public)) {
        transfer.refused = primary_ip;
        return CURL_PREREQFUNC_ABORT;
    }
    transfer.refused.clear();
    if (!transfer.began_public) transfer.began_public = is_public;
    return CURL_PREREQFUNC_OK;
}

CurlClient::CurlClient(std::string user_agent, PublicTest is_public) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    core_ = CurlCore::Create(std::move(user_agent), std::move(is_public));
}

CurlClient::~CurlClient() { core_->Close(); }

CurlClient::CurlClient(std::string user_agent, platform::Trace& trace)
    : CurlClient(std::move(user_agent)) {
    core_->SetTrace(trace);
}

std::unique_ptr<platform::HttpExchange> CurlClient::Start(const platform::HttpRequest& request,
                                                          platform::HttpReceiver& receiver) {
    return core_->Start(request, receiver);
}

void CurlClient::SetSpeedLimit(int64_t bytes_per_second) { core_->SetSpeedLimit(bytes_per_second); }

} // namespace tarnwick::curl
