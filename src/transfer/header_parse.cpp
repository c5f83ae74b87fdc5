#include "transfer/header_parse.h"

#include "common/text.h"
#include "transfer/transfer_failure.h"

#include <charconv>
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

float ContentLengthValue(std::string_view value) {
    std::string_view number = TrimBlanks(value);
    // from_chars takes no leading "+" and would take "nan" and "inf".
    if (!StartsLikeANumber(number)) throw TransferFailure("Type mismatch");
    if (number.front() == '+') number.remove_prefix(1);
    float size = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), size);
    if (error == std::errc::result_out_of_range) throw TransferFailure("Overflow");
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(size)) {
        throw TransferFailure("Type mismatch");
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

HeaderFindings ParseHeaders(std::string_view raw) {
    HeaderFindings found;
    found.LastModified = HeaderValue(raw, "last-modified: ").value_or("Not Available");
    const auto length = HeaderValue(raw, "content-length: ");
    found.FileSize = length ? ContentLengthValue(*length) : -1.0f;
    found.RemoteFileName = HeaderValue(raw, "filename=").value_or("");
    const auto type = HeaderValue(raw, "content-type: ");
    found.RemoteFileType = type ? TypeAfterSlash(*type) : "";
    found.FileExists = AnswerShowsFile(raw);
    return found;
}

} // namespace tarnwick::transfer
