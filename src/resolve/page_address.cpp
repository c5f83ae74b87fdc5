#include "resolve/page_address.h"

#include "common/text.h"
#include "resolve/site_index.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tarnwick::resolve {
namespace {

// Characters seen around pasted addresses, longest first: a byte-order mark,
// a zero-width space, a no-break space.
constexpr std::array<std::string_view, 3> kInvisibleCharacters = {"\xEF\xBB\xBF", "\xE2\x80\x8B",
                                                                  "\xC2\xA0"};

bool IsBlankOrControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7F;
}

// The length of the invisible character or blank that `text` begins with, 0 for none.
size_t LeadingJunk(std::string_view text) {
    if (text.empty()) return 0;
    if (IsBlankOrControl(text.front())) return 1;
    for (std::string_view junk : kInvisibleCharacters) {
        if (text.starts_with(junk)) return junk.size();
    }
    return 0;
}

size_t TrailingJunk(std::string_view text) {
    if (text.empty()) return 0;
    if (IsBlankOrControl(text.back())) return 1;
    for (std::string_view junk : kInvisibleCharacters) {
        if (text.ends_with(junk)) return junk.size();
    }
    return 0;
}

bool IsAllDigits(std::string_view text) {
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) return false;
    }
    return true;
}

bool IsHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-';
}

// "name.name[.name...]" with an alphabetic last label of two letters or more,
// and an optional ":port".
bool IsHostName(std::string_view host) {
    const size_t colon = host.find(':');
    if (colon != std::string_view::npos) {
        const std::string_view port = host.substr(colon + 1);
        if (port.empty() || port.size() > 5 || !IsAllDigits(port)) return false;
        host = host.substr(0, colon);
    }
    if (host.empty() || host.front() == '.' || host.back() == '.' ||
        host.find("..") != std::string_view::npos) {
        return false;
    }
    for (char c : host) {
        if (!IsHostCharacter(c)) return false;
    }
    const size_t last_dot = host.rfind('.');
    if (last_dot == std::string_view::npos) return false;
    const std::string_view top = host.substr(last_dot + 1);
    if (top.size() < 2) return false;
    for (char c : top) {
        if (std::isalpha(static_cast<unsigned char>(c)) == 0) return false;
    }
    return true;
}

bool LooksLikeHostAndPath(std::string_view text) {
    for (char c : text) {
        if (IsBlankOrControl(c)) return false;
    }
    const size_t end = text.find_first_of("/?#");
    const std::string_view host = text.substr(0, end);
    if (!IsHostName(host)) return false;
    const bool has_path = end != std::string_view::npos && text[end] == '/';
    return has_path || text::ToLowerAscii(host).starts_with("www.");
}

constexpr std::array<std::string_view, 10> kVideoExtensions = {
    ".mp4", ".m4v", ".webm", ".mkv", ".mov", ".ogv", ".flv", ".avi", ".wmv", ".3gp"};

} // namespace

std::string CleanAddress(std::string_view text) {
    for (size_t junk = LeadingJunk(text); junk > 0; junk = LeadingJunk(text)) {
        text.remove_prefix(junk);
    }
    for (size_t junk = TrailingJunk(text); junk > 0; junk = TrailingJunk(text)) {
        text.remove_suffix(junk);
    }
    if (text.find("://") == std::string_view::npos && LooksLikeHostAndPath(text)) {
        return "http://" + std::string(text);
    }
    return std::string(text);
}

bool IsDirectVideoLink(std::string_view address) {
    const std::string lower = text::ToLowerAscii(address);
    size_t rest = 0;
    if (lower.starts_with("http://")) {
        rest = 7;
    } else if (lower.starts_with("https://")) {
        rest = 8;
    } else {
        return false;
    }
    const size_t path = lower.find('/', rest);
    if (path == std::string::npos) return false;
    const std::string_view path_only =
        std::string_view(lower).substr(path, lower.find_first_of("?#", path) - path);
    for (std::string_view extension : kVideoExtensions) {
        if (path_only.size() > extension.size() + 1 && path_only.ends_with(extension)) return true;
    }
    return false;
}

bool IsOneAddress(std::string_view text) {
    constexpr size_t kLongest = 8 * 1024;
    if (text.empty() || text.size() > kLongest) return false;
    return std::none_of(text.begin(), text.end(), IsBlankOrControl);
}

bool IsVideoAddress(std::string_view address) {
    return GetSiteIndex(address) != kSiteNone || IsDirectVideoLink(address);
}

} // namespace tarnwick::resolve
