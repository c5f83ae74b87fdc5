#include "hls/playlist_syntax.h"

#include "common/text.h"

#include <algorithm>
#include <charconv>

namespace tarnwick::hls {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A line already trimmed and not blank; nothing for a comment.
std::optional<PlaylistLine> MeaningOf(std::string_view line) {
    if (!line.starts_with('#')) return PlaylistLine{PlaylistLine::Kind::kUri, {}, line};
    if (!line.starts_with("#EXT")) return std::nullopt;
    const std::string_view tag = line.substr(1);
    const size_t colon = tag.find(':');
    if (colon == std::string_view::npos) return PlaylistLine{PlaylistLine::Kind::kTag, tag, {}};
    return PlaylistLine{PlaylistLine::Kind::kTag, tag.substr(0, colon), tag.substr(colon + 1)};
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char lower = text::AsciiLower(c);
    if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
    return -1;
}

// Where the value that starts at `at` ends: after its closing quote when it
// is quoted (or at the end when that quote is missing), else at the comma.
size_t ValueEnd(std::string_view text, size_t at) {
    if (at < text.size() && text[at] == '"') {
        const size_t quote = text.find('"', at + 1);
        return quote == std::string_view::npos ? text.size() : quote + 1;
    }
    return std::min(text.find(',', at), text.size());
}

std::string_view Unquoted(std::string_view value) {
    if (!value.starts_with('"')) return value;
    value.remove_prefix(1);
    if (value.ends_with('"')) value.remove_suffix(1);
    return value;
}

} // namespace

std::optional<uint64_t> DecimalInteger(std::string_view text) {
    uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

std::vector<PlaylistLine> PlaylistLines(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    std::vector<PlaylistLine> lines;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = TrimBlanks(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty()) continue;
        if (std::optional<PlaylistLine> meaning = MeaningOf(line)) lines.push_back(*meaning);
    }
    return lines;
}

AttributeList::AttributeList(std::string_view text) {
    size_t at = 0;
    while (at < text.size()) {
        const size_t equals = text.find('=', at);
        const size_t comma = text.find(',', at);
        if (equals == std::string_view::npos) break;
        if (comma < equals) {
            at = comma + 1;
            continue;
        }
        const std::string_view name = TrimBlanks(text.substr(at, equals - at));
        size_t value_start = equals + 1;
        while (value_start < text.size() && IsBlank(text[value_start])) ++value_start;
        const size_t value_end = ValueEnd(text, value_start);
        const std::string_view value =
            TrimBlanks(text.substr(value_start, value_end - value_start));
        attributes_.push_back({std::string(name), std::string(Unquoted(value))});
        at = std::min(text.find(',', value_end), text.size());
        if (at < text.size()) ++at;
    }
}

const AttributeList::Attribute* AttributeList::Find(std::string_view name) const {
    for (const Attribute& attribute : attributes_) {
        if (text::EqualsIgnoreCase(attribute.name, name)) return &attribute;
    }
    return nullptr;
}

std::optional<std::string> AttributeList::Text(std::string_view name) const {
    const Attribute* attribute = Find(name);
    if (!attribute) return std::nullopt;
    return attribute->value;
}

std::optional<uint64_t> AttributeList::Integer(std::string_view name) const {
    const Attribute* attribute = Find(name);
    if (!attribute) return std::nullopt;
    return DecimalInteger(attribute->value);
}

std::optional<Resolution> AttributeList::ResolutionValue(std::string_view name) const {
    const Attribute* attribute = Find(name);
    if (!attribute) return std::nullopt;
    const std::string_view value = attribute->value;
    const size_t x = value.find_first_of("xX");
    if (x == std::string_view::npos) return std::nullopt;
    const std::optional<uint64_t> width = DecimalInteger(value.substr(0, x));
    const std::optional<uint64_t> height = DecimalInteger(value.substr(x + 1));
    if (!width || !height) return std::nullopt;
    return Resolution{*width, *height};
}

std::optional<std::vector<uint8_t>> AttributeList::HexBytes(std::string_view name) const {
    const Attribute* attribute = Find(name);
    if (!attribute) return std::nullopt;
    std::string_view digits = attribute->value;
    if (digits.size() < 3 || !text::StartsWithIgnoreCase(digits, "0x")) return std::nullopt;
    digits.remove_prefix(2);
    std::vector<uint8_t> bytes;
    if (digits.size() % 2 == 1) bytes.push_back(0);
    for (size_t at = 0; at < digits.size(); ++at) {
        const int digit = HexDigit(digits[at]);
        if (digit < 0) return std::nullopt;
        if ((at + digits.size()) % 2 == 0) bytes.push_back(0);
        bytes.back() = static_cast<uint8_t>(bytes.back() * 16 + digit);
    }
    return bytes;
}

bool AttributeList::IsYes(std::string_view name) const {
    const Attribute* attribute = Find(name);
    return attribute && text::EqualsIgnoreCase(attribute->value, "YES");
}

} // namespace tarnwick::hls
