#include "transfer/header_parse.h"

#include "common/text.h"

#include <charconv>
#include <algorithm>
#include <cmath>

namespace tarnwick::transfer {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool StartsLikeANumber(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    if (!text.empty() && text.front() == '.') text.remove_prefix(1);
    return !text.empty() && text.front() >= '0' && text.front() <= '9';
}

} // namespace

bool FitsHeaderBuffer(std::string_view raw) { return raw.size() < kHeaderBufferSize; }

std::optional<std::string> HeaderValue(std::string_view raw, std::string_view name) {
    const std::string lower_raw = text::ToLowerAscii(raw);
    const size_t at = lower_raw.find(text::ToLowerAscii(name));
    if (at == std::string::npos) return std::nullopt;
    const size_t start = at + name.size();
    const size_t end = raw.find(kLineEnd, start);
    return std::string(raw.substr(start, end == std::string_view::npos ? end : end - start));
}

std::optional<float> ContentLengthValue(std::string_view value) {
    std::string_view number = TrimBlanks(value);
    // from_chars takes no leading "+" and would take "nan" and "inf".
    if (!StartsLikeANumber(number)) return std::nullopt;
    if (number.front() == '+') number.remove_prefix(1);
    float size = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), size);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(size)) {
        return std::nullopt;
    }
    return size;
}

std::string TypeAfterSlash(std::string_view value) {
    const size_t slash = value.find('/');
    return std::string(slash == std::string_view::npos ? value : value.substr(slash + 1));
}

bool AnswerShowsFile(std::string_view raw) {
    const std::string lower_raw = text::ToLowerAscii(raw);
    return lower_raw.find("http/1.1 404 not found") == std::string::npos &&
           lower_raw.find("http/1.1 404 file not found") == std::string::npos;
}

std::optional<HeaderFindings> ParseHeaders(std::string_view raw) {
    HeaderFindings found;
    found.LastModified = HeaderValue(raw, "last-modified: ").value_or("Not Available");
    if (const auto length = HeaderValue(raw, "content-length: ")) {
        const std::optional<float> size = ContentLengthValue(*length);
        if (!size) return std::nullopt;
        found.FileSize = *size;
    }
    found.RemoteFileName = HeaderValue(raw, "filename=").value_or("");
    const auto type = HeaderValue(raw, "content-type: ");
    found.RemoteFileType = type ? TypeAfterSlash(*type) : "";
    found.FileExists = AnswerShowsFile(raw);
    return found;
}

std::optional<std::string_view> FieldValue(std::string_view raw, std::string_view name) {
    size_t start = raw.find(kLineEnd); // past the status line
    while (start != std::string_view::npos && start < raw.size()) {
        start += kLineEnd.size();
        const size_t end = std::min(raw.find(kLineEnd, start), raw.size());
        const std::string_view line = raw.substr(start, end - start);
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos &&
            text::EqualsIgnoreCase(TrimBlanks(line.substr(0, colon)), name)) {
            return TrimBlanks(line.substr(colon + 1));
        }
        start = end;
    }
    return std::nullopt;
}

std::optional<int64_t> ContentLengthField(std::string_view raw) {
    const std::optional<std::string_view> value = FieldValue(raw, "content-length");
    if (!value || value->empty()) return std::nullopt;
    int64_t length = 0;
    const auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), length);
    if (error != std::errc() || end != value->data() + value->size() || length < 0) {
        return std::nullopt;
    }
    return length;
}

} // namespace tarnwick::transfer
