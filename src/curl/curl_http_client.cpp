#include "curl/curl_http_client.h"

#include "curl/curl_session.h"

#include <curl/curl.h>

#include <mutex>

namespace tarnwick::platform::curl {

CurlHttpClient::CurlHttpClient(EventPump& pump) : pump_(pump) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::unique_ptr<BlockingHttpSession> CurlHttpClient::OpenSession(const std::string& user_agent) {
    CURLM* multi = curl_multi_init();
    if (multi == nullptr) return nullptr;
    return std::make_unique<CurlSession>(multi, user_agent, pump_);
}

} // namespace tarnwick::platform::curl
