// What a browser knows about an item that its server will want: the page it
// was found on, the referrer, the browser's user agent and the cookies the
// browser holds for the item's address. Every request made for the item goes
// with it, until the item completes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::handoff {

struct BrowserCookie {
    std::string name;
    std::string value;
    // The host or domain it was set for; a leading dot is not needed.
    std::string domain;
    std::string path = "/";
    // Sent to `domain` itself only, not to its subdomains.
    bool host_only = false;
    bool secure = false;
    bool http_only = false;
    // Seconds since the epoch; 0 for a cookie of the browser's session.
    int64_t expires = 0;

    bool operator==(const BrowserCookie&) const = default;
};

struct ItemContext {
    std::string page;
    std::string referrer;
    std::string user_agent;
    std::vector<BrowserCookie> cookies;

    bool empty() const { return page.empty() && referrer.empty() && user_agent.empty() && cookies.empty(); }
    bool operator==(const ItemContext&) const = default;
};

// The cookie as one line of a Netscape cookies.txt, which is also what
// curl's cookie engine takes: seven fields separated by TAB, "#HttpOnly_"
// before the domain of an HttpOnly cookie. Fields holding a TAB, CR or LF
// cannot be written: none for such a cookie.
std::optional<std::string> NetscapeLine(const BrowserCookie& cookie);
// A whole cookies.txt of `cookies`, with its header line.
std::string NetscapeFile(const std::vector<BrowserCookie>& cookies);
// The cookies of a cookies.txt; lines that are not cookies are skipped.
std::vector<BrowserCookie> ParseNetscapeFile(std::string_view text);

// The context as the list keeps it (one JSON text), and back; none when the
// kept text is damaged.
std::string ContextRecord(const ItemContext& context);
std::optional<ItemContext> ParseContextRecord(std::string_view record);

} // namespace tarnwick::handoff
