// Reading the fields of an answer's head. A field is found by its name,
// compared without letter case, never by text that happens to stand inside
// another field. Pure functions over the answer.
#pragma once

#include "platform/http_client.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::transfer {

// Header blocks longer than this are not read field by field.
inline constexpr size_t kHeaderBlockLimit = 64 * 1024;

// The bytes the answer's fields take as header lines, "Name: value" and CR LF each.
size_t HeaderBlockSize(const platform::HttpAnswer& answer);

// The Content-Length as a byte count: one non-negative decimal integer, the
// same in every Content-Length field; none when missing or anything else.
std::optional<int64_t> ContentLengthField(const platform::HttpAnswer& answer);

// The range of a partial answer: "bytes FIRST-LAST/TOTAL" ("*" for an unknown
// total). None when missing or unreadable, or when the range is backwards.
struct ContentRange {
    int64_t first = 0;
    int64_t last = 0;
    std::optional<int64_t> total;
    bool operator==(const ContentRange&) const = default;
};
std::optional<ContentRange> ContentRangeField(const platform::HttpAnswer& answer);

// Whether the body comes content-coded (gzip, br, ...): a Content-Encoding
// field names a coding other than "identity". The Content-Length is then
// that of the coded bytes, and byte ranges are ranges of those.
bool IsContentCoded(const platform::HttpAnswer& answer);

// What names this version of the file for a later "If-Range": the ETag when
// it is a strong one, else the Last-Modified date; empty without either.
std::string ValidatorField(const platform::HttpAnswer& answer);

// The media type of the Content-Type field ("video/mp4"), in lower case and
// without its parameters; empty without one.
std::string MediaTypeField(const platform::HttpAnswer& answer);
bool IsHtmlMediaType(std::string_view media_type);

// The file name the Content-Disposition field suggests: its "filename*"
// (RFC 5987, UTF-8 or ISO-8859-1, percent-encoded) when it has one it can
// read, else its "filename", quoted or not; without quotes, the parameters
// after it, and any folder before its last "/" or "\". Empty without one.
std::string DispositionFileName(const platform::HttpAnswer& answer);

} // namespace tarnwick::transfer
