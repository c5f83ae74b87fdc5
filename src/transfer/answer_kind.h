// What the answer to a page address is: the page to read for a video, or the
// file itself. The first answer tells, so that a file is never read as a page
// first and asked for again.
#pragma once

#include "platform/http_client.h"

#include <cstdint>
#include <string_view>

namespace tarnwick::transfer {

enum class AnswerKind : uint8_t {
    kPage,
    kFile,
    // A file, unless its first bytes show a page or a playlist.
    kFileUnlessText,
};

// A video or sound type (not a playlist's) is a file.
bool IsFileMediaType(std::string_view media_type);

// Whether the answer comes as a download: "Content-Disposition: attachment".
bool IsAttachment(const platform::HttpAnswer& answer);

// A success answer of a video or sound type, or sent as a download, is the
// file; one of application/octet-stream is unless its first bytes are text;
// any other answer is a page.
AnswerKind KindOfAnswer(const platform::HttpAnswer& answer, std::string_view media_type);

// Whether a body that starts so is markup (a page) or a playlist, whatever its
// type said: after a byte order mark and blanks, "<" or "#EXTM3U".
bool StartsAsText(std::string_view opening);

} // namespace tarnwick::transfer
