#include "transfer/header_fields.h"

#include "common/text.h"

#include <algorithm>
#include <charconv>

namespace tarnwick::transfer {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The parameters of a field value after its first ";", as name and value;
// a quoted value comes without its quotes and escapes.
std::vector<std::pair<std::string, std::string>> Parameters(std::string_view value) {
    std::vector<std::pair<std::string, std::string>> parameters;
    size_t at = value.find(';');
    while (at != std::string_view::npos && at < value.size()) {
        ++at;
        const size_t equals = value.find('=', at);
        const size_t semicolon = value.find(';', at);
        if (equals == std::string_view::npos || equals > semicolon) {
            at = semicolon;
            continue;
        }
        const std::string name = text::ToLowerAscii(TrimBlanks(value.substr(at, equals - at)));
        size_t end = equals + 1;
        while (end < value.size() && IsBlank(value[end])) ++end;
        std::string parameter;
        if (end < value.size() && value[end] == '"') {
            for (++end; end < value.size() && value[end] != '"'; ++end) {
                if (value[end] == '\\' && end + 1 < value.size()) ++end;
                parameter.push_back(value[end]);
            }
            end = value.find(';', end);
        } else {
            const size_t stop = value.find(';', end);
            parameter = std::string(TrimBlanks(value.substr(end, stop - end)));
            end = stop;
        }
        parameters.emplace_back(name, std::move(parameter));
        at = end;
    }
    return parameters;
}

std::string PercentDecoded(std::string_view text) {
    std::string decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                decoded.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        decoded.push_back(text[i]);
    }
    return decoded;
}

std::string Latin1ToUtf8(std::string_view text) {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return utf8;
}

// An RFC 5987 value: charset, an optional language, and the encoded text.
std::optional<std::string> ExtendedValue(std::string_view value) {
    const size_t first = value.find('\'');
    if (first == std::string_view::npos) return std::nullopt;
    const size_t second = value.find('\'', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const std::string charset = text::ToLowerAscii(value.substr(0, first));
    const std::string decoded = PercentDecoded(value.substr(second + 1));
    if (charset == "utf-8") return decoded;
    if (charset == "iso-8859-1") return Latin1ToUtf8(decoded);
    return std::nullopt;
}

// What follows the last "/" or "\", up to any line break.
std::string LastPathPart(std::string name) {
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const size_t line_break = name.find_first_of("\r\n");
    if (line_break != std::string::npos) name.erase(line_break);
    return name;
}

std::optional<int64_t> NonNegativeNumber(std::string_view text) {
    int64_t parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || parsed < 0) {
        return std::nullopt;
    }
    return parsed;
}

} // namespace

size_t HeaderBlockSize(const platform::HttpAnswer& answer) {
    size_t size = 0;
    for (const platform::HttpField& field : answer.fields) {
        size += field.name.size() + field.value.size() + 4; // ": " and CR LF
    }
    return size;
}

std::optional<int64_t> ContentLengthField(const platform::HttpAnswer& answer) {
    std::optional<int64_t> length;
    for (const std::string_view value : answer.Values("content-length")) {
        const std::optional<int64_t> parsed = NonNegativeNumber(value);
        if (!parsed || (length && *length != *parsed)) return std::nullopt;
        length = parsed;
    }
    return length;
}

std::optional<ContentRange> ContentRangeField(const platform::HttpAnswer& answer) {
    const std::optional<std::string_view> value = answer.Value("content-range");
    if (!value || !text::ToLowerAscii(value->substr(0, 6)).starts_with("bytes ")) {
        return std::nullopt;
    }
    const std::string_view range_text = TrimBlanks(value->substr(6));
    const size_t dash = range_text.find('-');
    const size_t slash = range_text.find('/');
    if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) {
        return std::nullopt;
    }
    const std::optional<int64_t> first = NonNegativeNumber(range_text.substr(0, dash));
    const std::optional<int64_t> last =
        NonNegativeNumber(range_text.substr(dash + 1, slash - dash - 1));
    if (!first || !last || *last < *first) return std::nullopt;
    ContentRange range{*first, *last, std::nullopt};
    const std::string_view total = range_text.substr(slash + 1);
    if (total != "*") {
        range.total = NonNegativeNumber(total);
        if (!range.total || *range.total <= *last) return std::nullopt;
    }
    return range;
}

bool IsContentCoded(const platform::HttpAnswer& answer) {
    for (std::string_view value : answer.Values("content-encoding")) {
        while (!value.empty()) {
            const size_t comma = std::min(value.find(','), value.size());
            const std::string_view coding = TrimBlanks(value.substr(0, comma));
            if (!coding.empty() && !text::EqualsIgnoreCase(coding, "identity")) return true;
            value.remove_prefix(std::min(comma + 1, value.size()));
        }
    }
    return false;
}

std::string ValidatorField(const platform::HttpAnswer& answer) {
    const std::optional<std::string_view> tag = answer.Value("etag");
    if (tag && tag->size() >= 2 && tag->front() == '"' && tag->back() == '"') {
        return std::string(*tag);
    }
    const std::optional<std::string_view> modified = answer.Value("last-modified");
    return modified ? std::string(*modified) : std::string();
}

std::string MediaTypeField(const platform::HttpAnswer& answer) {
    const std::optional<std::string_view> value = answer.Value("content-type");
    if (!value) return {};
    return text::ToLowerAscii(TrimBlanks(value->substr(0, value->find(';'))));
}

bool IsHtmlMediaType(std::string_view media_type) {
    return media_type == "text/html" || media_type == "application/xhtml+xml";
}

std::string DispositionFileName(const platform::HttpAnswer& answer) {
    const std::optional<std::string_view> value = answer.Value("content-disposition");
    if (!value) return {};
    std::optional<std::string> plain;
    for (const auto& [name, parameter] : Parameters(*value)) {
        if (name == "filename*") {
            if (std::optional<std::string> extended = ExtendedValue(parameter)) {
                return LastPathPart(std::move(*extended));
            }
        } else if (name == "filename" && !plain) {
            plain = parameter;
        }
    }
    return plain ? LastPathPart(std::move(*plain)) : std::string();
}

} // namespace tarnwick::transfer
