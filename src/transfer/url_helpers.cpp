#include "transfer/url_helpers.h"

#include "common/text.h"

namespace tarnwick::transfer {
namespace {

constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";

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

std::string StripNull(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

} // namespace tarnwick::transfer
