#include "driver/format_http_client.h"

#include "common/text.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tarnwick::driver {
namespace {

// Headers that say how the bytes travel: the transfer and the client set
// them, and a resolver's would undo a resume or a decoding.
bool IsTransfersOwn(std::string_view name) {
    constexpr std::array<std::string_view, 8> kOwn = {
        "Range",      "If-Range", "Accept-Encoding",  "Host", "Content-Length",
        "Connection", "TE",       "Transfer-Encoding"};
    return std::ranges::any_of(
        kOwn, [&](std::string_view own) { return text::EqualsIgnoreCase(name, own); });
}

std::string_view NameOf(std::string_view line) { return line.substr(0, line.find(':')); }

} // namespace

FormatHttpClient::FormatHttpClient(platform::HttpClient& http, const resolve::HeaderMap& headers)
    : http_(http) {
    resolve::HeaderMap others;
    for (const auto& [name, value] : headers) {
        if (text::EqualsIgnoreCase(name, "User-Agent")) {
            agent_ = value;
        } else if (!IsTransfersOwn(name)) {
            others[name] = value;
        }
    }
    lines_ = resolve::HeaderLines(others);
    // An agent that would break the request line is not sent.
    if (resolve::HeaderLines({{"User-Agent", agent_}}).empty()) agent_.clear();
}

std::unique_ptr<platform::HttpExchange> FormatHttpClient::Start(
    const platform::HttpRequest& request, platform::HttpReceiver& receiver) {
    platform::HttpRequest sent = request;
    if (!agent_.empty()) sent.user_agent = agent_;
    for (const std::string& line : lines_) {
        const bool named = std::ranges::any_of(request.headers, [&](const std::string& own) {
            return text::EqualsIgnoreCase(NameOf(own), NameOf(line));
        });
        if (!named) sent.headers.push_back(line);
    }
    return http_.Start(sent, receiver);
}

} // namespace tarnwick::driver
