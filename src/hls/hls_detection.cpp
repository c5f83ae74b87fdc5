#include "hls/hls_detection.h"

#include "common/text.h"

#include <array>

namespace tarnwick::hls {
namespace {

// The path of an address: after the scheme and authority, before the query
// and fragment. An address without "//" is taken as a path throughout.
std::string_view PathOf(std::string_view address) {
    address = address.substr(0, address.find_first_of("?#"));
    const size_t authority = address.find("//");
    if (authority == std::string_view::npos) return address;
    const size_t path = address.find('/', authority + 2);
    return path == std::string_view::npos ? std::string_view() : address.substr(path);
}

bool PathEndsWith(std::string_view address, std::string_view extension) {
    const std::string_view path = PathOf(address);
    return path.size() >= extension.size() &&
           text::EqualsIgnoreCase(path.substr(path.size() - extension.size()), extension);
}

} // namespace

bool IsHlsAddress(std::string_view address) { return PathEndsWith(address, ".m3u8"); }

bool IsDashAddress(std::string_view address) { return PathEndsWith(address, ".mpd"); }

bool IsHlsContentType(std::string_view content_type) {
    static constexpr std::array<std::string_view, 3> kTypes = {
        "application/vnd.apple.mpegurl", "application/x-mpegurl", "audio/mpegurl"};
    const std::string media_type = text::TrimSpaces(content_type.substr(0, content_type.find(';')));
    for (const std::string_view type : kTypes) {
        if (text::EqualsIgnoreCase(media_type, type)) return true;
    }
    return false;
}

bool IsHlsBody(std::string_view body) {
    if (body.starts_with("\xEF\xBB\xBF")) body.remove_prefix(3);
    const size_t start = body.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && body.substr(start).starts_with("#EXTM3U");
}

} // namespace tarnwick::hls
