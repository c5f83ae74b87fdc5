// Reading a probe's findings from the raw header text of an answer: a status
// line and headers, each ended by CR LF. Pure functions over the text.
#pragma once

#include <cstddef>
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
// the number are allowed; anything else that is not a decimal number throws
// TransferFailure.
float ContentLengthValue(std::string_view value);

// The part of a Content-Type value after its first "/", parameters kept; the
// whole value when it has no "/".
std::string TypeAfterSlash(std::string_view value);

// False when the text holds an HTTP/1.1 404 "Not Found" or "File Not Found"
// status line (any letter case, anywhere); true for every other answer.
bool AnswerShowsFile(std::string_view raw);

// Everything a probe reads from a header text that fits the buffer, in the
// order it reads it. For tools that take the parse on its own.
struct HeaderFindings {
    std::string LastModified;
    float FileSize = -1;
    std::string RemoteFileName;
    std::string RemoteFileType;
    bool FileExists = false;
};
HeaderFindings ParseHeaders(std::string_view raw);

} // namespace tarnwick::transfer
