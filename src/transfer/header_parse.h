// Reading a probe's findings from the raw header text of an answer: a status
// line and headers, each ended by CR LF. Pure functions over the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::transfer {

// The probe's header buffer holds this many bytes, the closing NUL included.
inline constexpr size_t kHeaderBufferSize = 1024;

bool FitsHeaderBuffer(std::string_view raw);

// The value after the first occurrence of `name` (searched case-insensitively
// anywhere in the text, colon and blank included where the caller gives them),
// up to the next CR LF, in the letter case received; none without the name.
std::optional<std::string> HeaderValue(std::string_view raw, std::string_view name);

// A Content-Length value as a 32-bit floating-point byte count. Blanks around
// the number are allowed; anything else that is not a decimal number, and a
// number past the float range, gives none.
std::optional<float> ContentLengthValue(std::string_view value);

// The part of a Content-Type value after its first "/", parameters kept; the
// whole value when it has no "/".
std::string TypeAfterSlash(std::string_view value);

// False when the text holds an HTTP/1.1 404 "Not Found" or "File Not Found"
// status line (any letter case, anywhere); true for every other answer.
bool AnswerShowsFile(std::string_view raw);

// Everything a probe reads from a header text that fits the buffer. None when
// the text's "content-length: " value is not a number.
struct HeaderFindings {
    std::string LastModified;
    float FileSize = -1;
    std::string RemoteFileName;
    std::string RemoteFileType;
    bool FileExists = false;
};
std::optional<HeaderFindings> ParseHeaders(std::string_view raw);

// The value of the first header field named `name` (compared without letter
// case) in an answer's header lines, without the blanks around it; none when
// no field has that name. The status line is not a field.
std::optional<std::string_view> FieldValue(std::string_view raw, std::string_view name);

// The Content-Length field as a byte count: one non-negative decimal integer;
// none when the field is missing or holds anything else.
std::optional<int64_t> ContentLengthField(std::string_view raw);

} // namespace tarnwick::transfer
