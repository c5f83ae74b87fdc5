#include "curl/curl_url_resolver.h"

#include <curl/curl.h>

#include <memory>

namespace tarnwick::curl {
namespace {

struct UrlFree {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct TextFree {
    void operator()(char* text) const { curl_free(text); }
};

} // namespace

std::optional<std::string> CurlUrlResolver::Resolve(std::string_view base,
                                                    std::string_view reference) const {
    const std::unique_ptr<CURLU, UrlFree> url(curl_url());
    if (url == nullptr) return std::nullopt;
    // A relative address replaces the parts of the one before as a redirect would.
    for (const std::string& part : {std::string(base), std::string(reference)}) {
        if (curl_url_set(url.get(), CURLUPART_URL, part.c_str(), 0) != CURLUE_OK) {
            return std::nullopt;
        }
    }
    char* resolved = nullptr;
    if (curl_url_get(url.get(), CURLUPART_URL, &resolved, 0) != CURLUE_OK) return std::nullopt;
    const std::unique_ptr<char, TextFree> owned(resolved);
    return std::string(resolved);
}

} // namespace tarnwick::curl
