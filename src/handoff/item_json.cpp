#include "handoff/item_json.h"

#include "common/text.h"

#include <array>
#include <cmath>
#include <optional>
#include <utility>

namespace tarnwick::handoff::detail {
namespace {

// Expiry times are kept within year 9999: exact in a double, and far past
// any cookie's life.
constexpr int64_t kLatestExpiry = 253402300799;

constexpr std::array<std::pair<ItemOrigin, const char*>, 6> kOrigins{{
    {ItemOrigin::kLink, "link"},
    {ItemOrigin::kMedia, "media"},
    {ItemOrigin::kPage, "page"},
    {ItemOrigin::kSelection, "selection"},
    {ItemOrigin::kPopup, "popup"},
    {ItemOrigin::kTakeover, "takeover"},
}};

// A problem with an item, or none.
using Problem = std::optional<std::string>;

bool HoldsControlCharacter(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) return true;
    }
    return false;
}

// An http or https address with a host, no blanks and no control characters.
bool IsWebAddress(std::string_view address) {
    std::string_view rest;
    if (text::StartsWithIgnoreCase(address, "https://")) {
        rest = address.substr(8);
    } else if (text::StartsWithIgnoreCase(address, "http://")) {
        rest = address.substr(7);
    } else {
        return false;
    }
    if (rest.empty() || rest.front() == '/' || rest.front() == '?' || rest.front() == '#') {
        return false;
    }
    return address.find(' ') == std::string_view::npos && !HoldsControlCharacter(address);
}

// Reads the member `key` of `object` into `out` when it is there; false when
// it is there with the wrong type.
bool ReadMember(const Json& object, const char* key, std::string& out) {
    const auto member = object.find(key);
    if (member == object.end()) return true;
    if (!member->is_string()) return false;
    out = member->get_ref<const std::string&>();
    return true;
}

bool ReadMember(const Json& object, const char* key, std::optional<bool>& out) {
    const auto member = object.find(key);
    if (member == object.end()) return true;
    if (!member->is_boolean()) return false;
    out = member->get<bool>();
    return true;
}

bool ReadMember(const Json& object, const char* key, std::optional<double>& out) {
    const auto member = object.find(key);
    if (member == object.end()) return true;
    if (!member->is_number()) return false;
    out = member->get<double>();
    return true;
}

Problem CheckAddress(const std::string& address, const char* what, bool may_be_empty) {
    const std::string what_text(what);
    if (address.empty() && may_be_empty) return std::nullopt;
    if (address.size() > kMaxAddressBytes) return what_text + " is longer than 8 KiB";
    if (!IsWebAddress(address)) return what_text + " is not http or https";
    return std::nullopt;
}

std::optional<ItemOrigin> OriginNamed(std::string_view name) {
    for (const auto& [origin, origin_name] : kOrigins) {
        if (name == origin_name) return origin;
    }
    return std::nullopt;
}

const char* OriginName(ItemOrigin origin) {
    for (const auto& [known, name] : kOrigins) {
        if (known == origin) return name;
    }
    return "link";
}

// The last path component of the browser's file name; empty when that is
// "." or "..".
std::string LastComponent(const std::string& name) {
    const size_t slash = name.find_last_of("/\\");
    std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    if (last == "." || last == "..") last.clear();
    return last;
}

int64_t ExpiryOf(double expiration) {
    const double seconds = std::floor(expiration);
    if (!(seconds > -static_cast<double>(kLatestExpiry))) return -kLatestExpiry;
    if (!(seconds < static_cast<double>(kLatestExpiry))) return kLatestExpiry;
    return static_cast<int64_t>(seconds);
}

// One of the browser's cookies.Cookie; `what` names it ("cookie 4").
std::variant<BrowserCookie, std::string> ReadCookie(const Json& object, const std::string& what) {
    if (!object.is_object()) return what + " is not an object";
    BrowserCookie cookie;
    std::optional<bool> host_only, secure, http_only, session;
    std::optional<double> expiration;
    for (const char* key : {"name", "value", "domain"}) {
        if (!object.contains(key)) return what + " has no " + key;
    }
    const std::pair<const char*, std::string*> texts[] = {{"name", &cookie.name},
                                                          {"value", &cookie.value},
                                                          {"domain", &cookie.domain},
                                                          {"path", &cookie.path}};
    for (const auto& [key, text] : texts) {
        if (!ReadMember(object, key, *text)) return what + " has a " + key + " that is not text";
    }
    const std::pair<const char*, std::optional<bool>*> flags[] = {{"hostOnly", &host_only},
                                                                  {"secure", &secure},
                                                                  {"httpOnly", &http_only},
                                                                  {"session", &session}};
    for (const auto& [key, flag] : flags) {
        if (!ReadMember(object, key, *flag)) {
            return what + " has a " + key + " that is not true or false";
        }
    }
    if (!ReadMember(object, "expirationDate", expiration)) {
        return what + " has an expirationDate that is not a number";
    }
    if (HoldsControlCharacter(cookie.name) || HoldsControlCharacter(cookie.value) ||
        HoldsControlCharacter(cookie.domain) || HoldsControlCharacter(cookie.path)) {
        return what + " holds a control character";
    }
    const bool leading_dot = !cookie.domain.empty() && cookie.domain.front() == '.';
    cookie.domain.erase(0, cookie.domain.find_first_not_of('.'));
    if (cookie.domain.empty()) return what + " has no domain";
    cookie.host_only = host_only.value_or(!leading_dot);
    cookie.secure = secure.value_or(false);
    cookie.http_only = http_only.value_or(false);
    cookie.expires = session.value_or(false) || !expiration ? 0 : ExpiryOf(*expiration);
    return cookie;
}

Problem ReadCookies(const Json& item, std::vector<BrowserCookie>& cookies) {
    const auto member = item.find("cookies");
    if (member == item.end()) return std::nullopt;
    if (!member->is_array()) return "the cookies are not a list";
    if (member->size() > kMaxCookies) return "it has more than 300 cookies";
    size_t bytes = 0;
    for (size_t index = 0; index < member->size(); ++index) {
        auto cookie = ReadCookie((*member)[index], "cookie " + std::to_string(index + 1));
        if (auto* problem = std::get_if<std::string>(&cookie)) return std::move(*problem);
        BrowserCookie& read = std::get<BrowserCookie>(cookie);
        bytes += read.name.size() + read.value.size();
        if (bytes > kMaxCookieBytes) return "its cookies are longer than 64 KiB";
        cookies.push_back(std::move(read));
    }
    return std::nullopt;
}

// What the item says of its page, referrer and browser.
Problem ReadPlaces(const Json& item, ItemContext& context) {
    if (!ReadMember(item, "page", context.page)) return "the page is not text";
    if (!ReadMember(item, "referrer", context.referrer)) return "the referrer is not text";
    if (!ReadMember(item, "userAgent", context.user_agent)) return "the user agent is not text";
    if (Problem problem = CheckAddress(context.page, "the page", true)) return problem;
    if (Problem problem = CheckAddress(context.referrer, "the referrer", true)) return problem;
    if (context.user_agent.size() > kMaxAddressBytes) return "the user agent is longer than 8 KiB";
    if (HoldsControlCharacter(context.user_agent)) {
        return "the user agent holds a control character";
    }
    return std::nullopt;
}

Json CookieJson(const BrowserCookie& cookie) {
    Json json{{"name", cookie.name},          {"value", cookie.value},
              {"domain", cookie.domain},      {"path", cookie.path},
              {"hostOnly", cookie.host_only}, {"secure", cookie.secure},
              {"httpOnly", cookie.http_only}, {"session", cookie.expires == 0}};
    if (cookie.expires != 0) json["expirationDate"] = cookie.expires;
    return json;
}

} // namespace

std::variant<HandedItem, std::string> ReadItem(const Json& item) {
    if (!item.is_object()) return std::string("it is not an object");
    HandedItem read;
    const auto url = item.find("url");
    if (url == item.end() || !url->is_string()) return std::string("it has no address");
    read.url = url->get<std::string>();
    if (Problem problem = CheckAddress(read.url, "the address", false)) return *problem;
    const auto origin = item.find("origin");
    const std::optional<ItemOrigin> known = origin != item.end() && origin->is_string()
                                                ? OriginNamed(origin->get<std::string>())
                                                : std::nullopt;
    if (!known) return std::string("its origin is missing or unknown");
    read.origin = *known;
    if (!ReadMember(item, "name", read.name)) return std::string("the file name is not text");
    read.name = LastComponent(read.name);
    if (Problem problem = ReadPlaces(item, read.context)) return *problem;
    if (Problem problem = ReadCookies(item, read.context.cookies)) return *problem;
    return read;
}

Json ItemJson(const HandedItem& item) {
    Json json{{"url", item.url}, {"origin", OriginName(item.origin)}};
    if (!item.name.empty()) json["name"] = item.name;
    if (!item.context.page.empty()) json["page"] = item.context.page;
    if (!item.context.referrer.empty()) json["referrer"] = item.context.referrer;
    if (!item.context.user_agent.empty()) json["userAgent"] = item.context.user_agent;
    if (!item.context.cookies.empty()) {
        Json cookies = Json::array();
        for (const BrowserCookie& cookie : item.context.cookies)
            cookies.push_back(CookieJson(cookie));
        json["cookies"] = std::move(cookies);
    }
    return json;
}

std::string CompactText(const Json& json) {
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

} // namespace tarnwick::handoff::detail
