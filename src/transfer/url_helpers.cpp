#include "transfer/url_helpers.h"

#include "common/text.h"

namespace tarnwick::transfer {
namespace {

constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";

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

void SplitUrl(std::string& url, std::string& path) {
    if (text::StartsWithIgnoreCase(url, kHttp)) {
        url.erase(0, kHttp.size());
    } else if (text::StartsWithIgnoreCase(url, kHttps)) {
        url.erase(0, kHttps.size());
    }
    const size_t slash = url.find('/');
    if (slash == std::string::npos) return;
    path = url.substr(slash);
    url.erase(slash);
}

bool IsSecureUrl(std::string_view url) { return text::StartsWithIgnoreCase(url, kHttps); }

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

std::optional<std::string> ProbeAddress(const std::string& link) {
    std::string host = link;
    std::string path;
    SplitUrl(host, path);
    if (!IsPlainHost(host)) return std::nullopt;
    return std::string(IsSecureUrl(link) ? kHttps : kHttp) + host + (path.empty() ? "/" : path);
}

} // namespace tarnwick::transfer
