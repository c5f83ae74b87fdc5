#include "handoff/item_context.h"

#include "common/text.h"

#include <nlohmann/json.hpp>

#include <charconv>

namespace tarnwick::handoff {
namespace {

using Json = nlohmann::json;

constexpr std::string_view kHttpOnlyPrefix = "#HttpOnly_";
constexpr size_t kNetscapeFields = 7;

// The cookie flags of a context record, as bits of one number.
constexpr int kHostOnlyBit = 1;
constexpr int kSecureBit = 2;
constexpr int kHttpOnlyBit = 4;
constexpr int kAllBits = kHostOnlyBit | kSecureBit | kHttpOnlyBit;

const char* Truth(bool value) { return value ? "TRUE" : "FALSE"; }

bool BreaksLine(std::string_view field) {
    return field.find_first_of("\t\r\n") != std::string_view::npos;
}

// The fields of a line between TABs; the last field takes the rest of the line.
std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    while (fields.size() + 1 < kNetscapeFields) {
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos) break;
        fields.push_back(line.substr(0, tab));
        line.remove_prefix(tab + 1);
    }
    fields.push_back(line);
    return fields;
}

// Whole seconds; a fraction some writers add is dropped, an empty field is a
// session cookie's.
std::optional<int64_t> ReadExpiry(std::string_view field) {
    if (field.empty()) return 0;
    int64_t seconds = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), seconds);
    if (error != std::errc()) return std::nullopt;
    const std::string_view rest(end, field.data() + field.size() - end);
    if (!rest.empty() && (rest.front() != '.' || rest.substr(1).find_first_not_of("0123456789") !=
                                                     std::string_view::npos)) {
        return std::nullopt;
    }
    return seconds;
}

std::optional<BrowserCookie> ReadNetscapeLine(std::string_view line) {
    BrowserCookie cookie;
    if (line.starts_with(kHttpOnlyPrefix)) {
        cookie.http_only = true;
        line.remove_prefix(kHttpOnlyPrefix.size());
    } else if (line.starts_with('#')) {
        return std::nullopt;
    }
    const std::vector<std::string_view> fields = SplitFields(line);
    if (fields.size() < kNetscapeFields) return std::nullopt;
    const std::optional<int64_t> expires = ReadExpiry(fields[4]);
    if (!expires) return std::nullopt;
    cookie.domain = fields[0];
    cookie.domain.erase(0, cookie.domain.find_first_not_of('.'));
    if (cookie.domain.empty()) return std::nullopt;
    cookie.host_only = !text::EqualsIgnoreCase(fields[1], "TRUE");
    cookie.path = fields[2];
    cookie.secure = text::EqualsIgnoreCase(fields[3], "TRUE");
    cookie.expires = *expires;
    cookie.name = fields[5];
    cookie.value = fields[6];
    return cookie;
}

// ---- The context record ----

Json CookieRecord(const BrowserCookie& cookie) {
    const int flags = (cookie.host_only ? kHostOnlyBit : 0) | (cookie.secure ? kSecureBit : 0) |
                      (cookie.http_only ? kHttpOnlyBit : 0);
    return Json::array(
        {cookie.name, cookie.value, cookie.domain, cookie.path, flags, cookie.expires});
}

std::optional<BrowserCookie> ReadCookieRecord(const Json& record) {
    if (!record.is_array() || record.size() != 6) return std::nullopt;
    for (size_t index = 0; index < 4; ++index) {
        if (!record[index].is_string()) return std::nullopt;
    }
    if (!record[4].is_number_integer() || !record[5].is_number_integer()) return std::nullopt;
    const auto flags = record[4].get<int64_t>();
    if (flags < 0 || flags > kAllBits) return std::nullopt;
    // An integer past int64_t is kept unsigned: not one of ours.
    if (record[5].is_number_unsigned() && record[5].get<uint64_t>() > INT64_MAX) {
        return std::nullopt;
    }
    BrowserCookie cookie;
    cookie.name = record[0].get<std::string>();
    cookie.value = record[1].get<std::string>();
    cookie.domain = record[2].get<std::string>();
    cookie.path = record[3].get<std::string>();
    cookie.host_only = (flags & kHostOnlyBit) != 0;
    cookie.secure = (flags & kSecureBit) != 0;
    cookie.http_only = (flags & kHttpOnlyBit) != 0;
    cookie.expires = record[5].get<int64_t>();
    return cookie;
}

// Reads an optional text member; false when it is there but not text.
bool ReadText(const Json& record, const char* key, std::string& out) {
    const auto member = record.find(key);
    if (member == record.end()) return true;
    if (!member->is_string()) return false;
    out = member->get<std::string>();
    return true;
}

std::optional<ItemContext> ReadContextRecord(std::string_view text) {
    const Json record = Json::parse(text, nullptr, false);
    if (record.is_discarded() || !record.is_object()) return std::nullopt;
    ItemContext context;
    if (!ReadText(record, "p", context.page) || !ReadText(record, "r", context.referrer) ||
        !ReadText(record, "u", context.user_agent)) {
        return std::nullopt;
    }
    const auto cookies = record.find("c");
    if (cookies == record.end()) return context;
    if (!cookies->is_array()) return std::nullopt;
    for (const Json& cookie_record : *cookies) {
        std::optional<BrowserCookie> cookie = ReadCookieRecord(cookie_record);
        if (!cookie) return std::nullopt;
        context.cookies.push_back(std::move(*cookie));
    }
    return context;
}

} // namespace

std::optional<std::string> NetscapeLine(const BrowserCookie& cookie) {
    if (BreaksLine(cookie.name) || BreaksLine(cookie.value) || BreaksLine(cookie.domain) ||
        BreaksLine(cookie.path) || cookie.domain.empty()) {
        return std::nullopt;
    }
    std::string line = cookie.http_only ? std::string(kHttpOnlyPrefix) : std::string();
    if (!cookie.host_only) line += '.';
    line += cookie.domain;
    for (const std::string& field :
         {std::string(Truth(!cookie.host_only)), cookie.path, std::string(Truth(cookie.secure)),
          std::to_string(cookie.expires), cookie.name, cookie.value}) {
        line += '\t';
        line += field;
    }
    return line;
}

std::string NetscapeFile(const std::vector<BrowserCookie>& cookies) {
    std::string file = "# Netscape HTTP Cookie File\n";
    for (const BrowserCookie& cookie : cookies) {
        if (std::optional<std::string> line = NetscapeLine(cookie)) file += *line + '\n';
    }
    return file;
}

std::vector<BrowserCookie> ParseNetscapeFile(std::string_view text) {
    std::vector<BrowserCookie> cookies;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (std::optional<BrowserCookie> cookie = ReadNetscapeLine(line)) {
            cookies.push_back(std::move(*cookie));
        }
    }
    return cookies;
}

std::string ContextRecord(const ItemContext& context) {
    Json record = Json::object();
    if (!context.page.empty()) record["p"] = context.page;
    if (!context.referrer.empty()) record["r"] = context.referrer;
    if (!context.user_agent.empty()) record["u"] = context.user_agent;
    if (!context.cookies.empty()) {
        Json cookies = Json::array();
        for (const BrowserCookie& cookie : context.cookies) cookies.push_back(CookieRecord(cookie));
        record["c"] = std::move(cookies);
    }
    return record.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::optional<ItemContext> ParseContextRecord(std::string_view record) {
    try {
        return ReadContextRecord(record);
    } catch (const Json::exception&) {
        return std::nullopt;
    }
}

} // namespace tarnwick::handoff
