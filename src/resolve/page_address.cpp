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

// "name.name[.name...]" with an alphabetic last label of two letters or more.
bool IsDomainName(std::string_view host) {
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

// Four numbers of 0 to 255 between dots, written without leading zeros:
// "192.168.1.10".
bool IsIpv4Address(std::string_view host) {
    for (int part = 0; part < 4; ++part) {
        const size_t dot = part < 3 ? host.find('.') : host.size();
        if (dot == std::string_view::npos) return false;
        const std::string_view number = host.substr(0, dot);
        if (number.empty() || number.size() > 3 || !IsAllDigits(number) ||
            (number.size() > 1 && number.front() == '0') ||
            (number.size() == 3 && number > "255")) {
            return false;
        }
        host.remove_prefix(std::min(dot + 1, host.size()));
    }
    return true;
}

// A host without its optional ":port", told apart by its kind.
enum class HostKind { kNone, kDomain, kLocal };

HostKind HostKindOf(std::string_view host) {
    const size_t colon = host.find(':');
    if (colon != std::string_view::npos) {
        const std::string_view port = host.substr(colon + 1);
        if (port.empty() || port.size() > 5 || !IsAllDigits(port)) return HostKind::kNone;
        host = host.substr(0, colon);
    }
    if (IsIpv4Address(host) || text::ToLowerAscii(host) == "localhost") return HostKind::kLocal;
    return IsDomainName(host) ? HostKind::kDomain : HostKind::kNone;
}

// Whether the text begins with a scheme and "://": "http://", "ftp://", ...
bool BeginsWithScheme(std::string_view text) {
    if (text.empty() || std::isalpha(static_cast<unsigned char>(text.front())) == 0) return false;
    const size_t end =
        text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.");
    return end != std::string_view::npos && text.substr(end).starts_with("://");
}

// A domain name followed by a path, or one that begins with "www."; or an
// IPv4 address or "localhost" followed by a path. Whatever follows the host
// may hold another address ("web.archive.org/web/2016/http://...").
bool LooksLikeHostAndPath(std::string_view text) {
    for (char c : text) {
        if (IsBlankOrControl(c)) return false;
    }
    const size_t end = text.find_first_of("/?#");
    const std::string_view host = text.substr(0, end);
    const HostKind kind = HostKindOf(host);
    if (kind == HostKind::kNone) return false;
    const bool has_path = end != std::string_view::npos && text[end] == '/';
    return has_path || (kind == HostKind::kDomain && text::ToLowerAscii(host).starts_with("www."));
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
    if (!BeginsWithScheme(text) && LooksLikeHostAndPath(text)) {
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

bool IsCopiedVideoAddress(std::string_view address) {
    const bool web = text::StartsWithIgnoreCase(address, "http://") ||
                     text::StartsWithIgnoreCase(address, "https://");
    return web && IsOneAddress(address) &&
           (GetSiteIndex(address) != kSiteNone || IsDirectVideoLink(address));
}

std::vector<std::string> CopiedVideoAddresses(std::string_view text) {
    std::vector<std::string> addresses;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string address = CleanAddress(text.substr(0, end));
        if (IsCopiedVideoAddress(address)) addresses.push_back(std::move(address));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return addresses;
}

} // namespace tarnwick::resolve
