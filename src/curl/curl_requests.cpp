#include "curl/curl_requests.h"

#include "curl/curl_session.h"

namespace tarnwick::platform::curl {
namespace {

bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

bool IsAddressCharacter(char c) {
    return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') || c == ':' ||
           c == '.';
}

bool IsPort(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) return false;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

} // namespace

bool IsPlainHost(std::string_view host) {
    std::string_view name = host;
    std::string_view rest;
    if (host.starts_with('[')) {
        const size_t close = host.find(']');
        if (close == std::string_view::npos || close == 1) return false;
        for (char c : host.substr(1, close - 1)) {
            if (!IsAddressCharacter(c)) return false;
        }
        rest = host.substr(close + 1);
    } else {
        const size_t colon = host.find(':');
        name = host.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : host.substr(colon);
        if (name.empty()) return false;
        for (char c : name) {
            if (!IsHostCharacter(c)) return false;
        }
    }
    return rest.empty() || (rest.front() == ':' && IsPort(rest.substr(1)));
}

std::unique_ptr<BlockingHttpRequest> CurlConnection::OpenHeadRequest(
    const std::string& path, const BlockingHttpWaitLimits& limits) {
    // A host that is not a plain name (another scheme left in it, for one)
    // gives a request that is never sent.
    std::string url;
    if (IsPlainHost(host_)) {
        url = (secure_ ? "https://" : "http://") + host_ + (path.empty() ? "/" : path);
    }
    return std::make_unique<CurlHeadRequest>(session_, url, credentials_, limits);
}

CurlHeadRequest::CurlHeadRequest(CurlSession& session, const std::string& url,
                                 const std::optional<BlockingHttpCredentials>& credentials,
                                 const BlockingHttpWaitLimits& limits)
    : transfer_(session, limits) {
    if (url.empty() || !transfer_.SetUrl(url)) return;
    CURL* easy = transfer_.Easy();
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    // The answer's Content-Length is read by the caller, whatever it holds.
    curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    curl_slist* headers = curl_slist_append(nullptr, "Pragma: no-cache");
    if (headers != nullptr) {
        extra_headers_.reset(headers);
        curl_slist_append(headers, "Cache-Control: no-cache");
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    if (credentials) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
        curl_easy_setopt(easy, CURLOPT_USERNAME, credentials->user.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, credentials->password.c_str());
    }
    valid_ = true;
}

void CurlHeadRequest::Send() {
    if (valid_) transfer_.StartAndWaitForAnswer();
}

std::optional<std::string> CurlHeadRequest::RawHeaders() const {
    if (!transfer_.Answered()) return std::nullopt;
    return transfer_.HeaderText();
}

std::string CurlHeadRequest::StatusCode() const {
    if (!transfer_.Answered()) return "";
    return std::to_string(transfer_.ResponseCode());
}

} // namespace tarnwick::platform::curl
