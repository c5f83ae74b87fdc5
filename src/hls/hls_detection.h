// Telling an HLS playlist from other answers: by its address, its content
// type or its first bytes. And telling a DASH manifest by its address.
#pragma once

#include <string_view>

namespace tarnwick::hls {

// Whether the address's path (before any "?" or "#") ends in ".m3u8", in any
// letter case.
bool IsHlsAddress(std::string_view address);

// Whether the content type names an HLS playlist, without letter case and
// parameters: application/vnd.apple.mpegurl, application/x-mpegurl or
// audio/mpegurl.
bool IsHlsContentType(std::string_view content_type);

// Whether the body starts with "#EXTM3U", after an optional UTF-8 byte order
// mark and blanks (spaces, tabs, line breaks).
bool IsHlsBody(std::string_view body);

// Whether the address's path ends in ".mpd", in any letter case.
bool IsDashAddress(std::string_view address);

} // namespace tarnwick::hls
