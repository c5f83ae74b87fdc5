#include "driver/resolver_headers.h"

#include "common/text.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tarnwick::driver {
namespace {

// Headers that say how the bytes travel: the fetch and the client set
// them, and a resolver's would undo a resume or a decoding.
bool IsTransfersOwn(std::string_view name) {
    constexpr std::array<std::string_view, 8> kOwn = {
        "Range",      "If-Range", "Accept-Encoding",  "Host", "Content-Length",
        "Connection", "TE",       "Transfer-Encoding"};
    return std::ranges::any_of(
        kOwn, [&](std::string_view own) { return text::EqualsIgnoreCase(name, own); });
}

} // namespace

void UseResolverHeaders(transfer::RequestContext& requests, const resolve::HeaderMap& headers) {
    resolve::HeaderMap others;
    for (const auto& [name, value] : headers) {
        if (text::EqualsIgnoreCase(name, "User-Agent")) {
            // An agent that would break the request line is not sent.
            if (!resolve::HeaderLines({{name, value}}).empty()) requests.user_agent = value;
        } else if (!IsTransfersOwn(name)) {
            others[name] = value;
        }
    }
    requests.headers = resolve::HeaderLines(others);
}

} // namespace tarnwick::driver
