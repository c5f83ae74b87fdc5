#include "curl/curl_session.h"

#include "curl/curl_requests.h"
#include "curl/curl_transfer.h"

namespace tarnwick::platform::curl {

CurlSession::CurlSession(CURLM* multi, std::string user_agent, EventPump& pump)
    : multi_(multi), user_agent_(std::move(user_agent)), pump_(pump) {}

CurlSession::~CurlSession() { curl_multi_cleanup(multi_); }

std::unique_ptr<BlockingHttpConnection> CurlSession::Connect(
    const std::string& host, bool secure,
    const std::optional<BlockingHttpCredentials>& credentials) {
    return std::make_unique<CurlConnection>(*this, host, secure, credentials);
}

std::unique_ptr<BlockingHttpBody> CurlSession::OpenUrl(const std::string& url,
                                                       const BlockingHttpWaitLimits& limits) {
    auto transfer = std::make_unique<CurlTransfer>(*this, limits);
    if (!transfer->SetUrl(url)) return nullptr;
    curl_easy_setopt(transfer->Easy(), CURLOPT_HTTPGET, 1L);
    // One stream per connection: pausing a full buffer holds back only this body.
    curl_easy_setopt(transfer->Easy(), CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    if (!transfer->StartAndWaitForAnswer()) return nullptr;
    return std::make_unique<CurlBody>(std::move(transfer));
}

void CurlSession::Drive() {
    int running = 0;
    curl_multi_perform(multi_, &running);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg != CURLMSG_DONE) continue;
        CurlTransfer* transfer = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
        if (transfer != nullptr) transfer->MarkDone(message->data.result);
    }
}

void CurlSession::Poll(std::chrono::milliseconds limit) {
    curl_multi_poll(multi_, nullptr, 0, static_cast<int>(limit.count()), nullptr);
}

} // namespace tarnwick::platform::curl
