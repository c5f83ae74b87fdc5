#include "curl/curl_transfer.h"

#include "common/text.h"
#include "curl/curl_session.h"

#include <algorithm>
#include <cstring>

namespace tarnwick::platform::curl {
namespace {

constexpr std::chrono::milliseconds kPollSlice{20};
constexpr long kMaxRedirects = 10;
constexpr long kReceiveBufferSize = 256 * 1024;

} // namespace

CurlTransfer::CurlTransfer(CurlSession& session, BlockingHttpWaitLimits limits)
    : session_(session), limits_(std::move(limits)), easy_(curl_easy_init()) {
    if (easy_ == nullptr) return;
    curl_easy_setopt(easy_, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy_, CURLOPT_USERAGENT, session_.UserAgent().c_str());
    curl_easy_setopt(easy_, CURLOPT_PROXY, ""); // direct, also when the environment names a proxy
    curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlTransfer::HeaderCallback);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlTransfer::BodyCallback);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
}

CurlTransfer::~CurlTransfer() {
    if (added_) curl_multi_remove_handle(session_.Multi(), easy_);
    if (easy_ != nullptr) curl_easy_cleanup(easy_);
    if (url_ != nullptr) curl_url_cleanup(url_);
}

bool CurlTransfer::SetUrl(const std::string& url) {
    if (easy_ == nullptr) return false;
    url_ = curl_url();
    if (url_ == nullptr) return false;
    // Blanks and 8-bit characters of a link are sent percent-encoded.
    if (curl_url_set(url_, CURLUPART_URL, url.c_str(), CURLU_ALLOW_SPACE | CURLU_URLENCODE) !=
        CURLUE_OK) {
        return false;
    }
    return curl_easy_setopt(easy_, CURLOPT_CURLU, url_) == CURLE_OK;
}

bool CurlTransfer::StartAndWaitForAnswer() {
    if (easy_ == nullptr || url_ == nullptr) return false;
    if (curl_multi_add_handle(session_.Multi(), easy_) != CURLM_OK) return false;
    added_ = true;
    const WaitEnd end = WaitUntil([this] { return headers_complete_ || BufferedBytes() > 0; },
                                  limits_.open_limit, false);
    if (end == WaitEnd::kTimedOut || end == WaitEnd::kGaveUp) return false;
    return headers_complete_ || BufferedBytes() > 0 || result_ == CURLE_OK;
}

long CurlTransfer::ResponseCode() const {
    long code = 0;
    if (easy_ != nullptr) curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

BlockingHttpReadResult CurlTransfer::Read(char* buffer, size_t size) {
    if (BufferedBytes() < size && !done_ && !stalled_) {
        const WaitEnd end =
            WaitUntil([this, size] { return BufferedBytes() >= size; }, limits_.stall_limit, true);
        if (end == WaitEnd::kTimedOut) stalled_ = true;
        if (end == WaitEnd::kGaveUp) {
            return {BlockingHttpReadResult::Outcome::kGaveUp, TakeBody(buffer, size)};
        }
    }
    const size_t count = TakeBody(buffer, size);
    if (count > 0) return {BlockingHttpReadResult::Outcome::kData, count};
    if (stalled_ || !done_ || result_ != CURLE_OK)
        return {BlockingHttpReadResult::Outcome::kFailed, 0};
    return {BlockingHttpReadResult::Outcome::kData, 0};
}

void CurlTransfer::MarkDone(CURLcode result) {
    done_ = true;
    result_ = result;
}

CurlTransfer::WaitEnd CurlTransfer::WaitUntil(const std::function<bool()>& ready,
                                              std::chrono::milliseconds limit,
                                              bool limit_restarts_on_data) {
    Clock::time_point since = Clock::now();
    uint64_t received_then = received_;
    for (;;) {
        session_.Drive();
        if (ready()) return WaitEnd::kReady;
        if (done_) return WaitEnd::kDone;
        if (limits_.give_up && limits_.give_up()) return WaitEnd::kGaveUp;
        const Clock::time_point now = Clock::now();
        if (limit_restarts_on_data && received_ != received_then) {
            received_then = received_;
            since = now;
        }
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - since);
        if (waited >= limit) return WaitEnd::kTimedOut;
        session_.Poll(std::min(kPollSlice, limit - waited));
        session_.Pump().ProcessEvents();
    }
}

size_t CurlTransfer::TakeBody(char* buffer, size_t size) {
    const size_t count = std::min(size, BufferedBytes());
    if (count == 0) return 0;
    std::memcpy(buffer, body_.data() + head_, count);
    head_ += count;
    if (head_ == body_.size()) {
        body_.clear();
        head_ = 0;
    }
    ResumeIfDrained();
    return count;
}

void CurlTransfer::ResumeIfDrained() {
    if (!paused_ || BufferedBytes() >= kLowWater) return;
    paused_ = false;
    // May deliver the held-back bytes at once, through BodyCallback.
    curl_easy_pause(easy_, CURLPAUSE_CONT);
}

void CurlTransfer::OnHeaderLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.starts_with("HTTP/")) {
        // A new answer: an interim one or the next of a redirect chain.
        header_text_.clear();
        location_seen_ = false;
        headers_complete_ = false;
    } else if (headers_complete_) {
        return; // trailers of a chunked body
    }
    if (line.empty()) {
        const long code = ResponseCode();
        const bool interim = code >= 100 && code < 200;
        const bool redirect = code >= 300 && code < 400 && location_seen_;
        headers_complete_ = !interim && !redirect;
        return;
    }
    if (text::StartsWithIgnoreCase(line, "location:")) location_seen_ = true;
    header_text_.append(line);
    header_text_.append("\r\n");
}

size_t CurlTransfer::OnBodyBytes(const char* data, size_t count) {
    if (BufferedBytes() >= kHighWater) {
        paused_ = true;
        return CURL_WRITEFUNC_PAUSE; // libcurl keeps these bytes and hands them over again
    }
    if (head_ > 0 && head_ >= body_.size() / 2) {
        body_.erase(body_.begin(), body_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
    body_.insert(body_.end(), data, data + count);
    received_ += count;
    return count;
}

size_t CurlTransfer::HeaderCallback(char* data, size_t size, size_t count, void* self) {
    static_cast<CurlTransfer*>(self)->OnHeaderLine(std::string_view(data, size * count));
    return size * count;
}

size_t CurlTransfer::BodyCallback(char* data, size_t size, size_t count, void* self) {
    return static_cast<CurlTransfer*>(self)->OnBodyBytes(data, size * count);
}

} // namespace tarnwick::platform::curl
