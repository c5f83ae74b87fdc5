#include "resolve/url_resolution.h"

#include "common/text.h"

#include <algorithm>

namespace tarnwick::resolve {
namespace {

constexpr size_t kNone = std::string_view::npos;

// The five components of an address, after RFC 3986 appendix B; an absent
// component is nothing, which differs from an empty one ("http://h/?" has an
// empty query, "http://h/" none).
struct AddressParts {
    std::optional<std::string_view> scheme;
    std::optional<std::string_view> authority;
    std::string_view path;
    std::optional<std::string_view> query;
    std::optional<std::string_view> fragment;
};

bool IsSchemeCharacter(char c, bool first) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (first) return letter;
    return letter || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// The scheme `address` begins with, without its ":"; nothing when the text
// before the first ":" is no scheme or holds a "/", "?" or "#".
std::optional<std::string_view> SchemeOf(std::string_view address) {
    const size_t colon = address.find_first_of(":/?#");
    if (colon == kNone || colon == 0 || address[colon] != ':') return std::nullopt;
    for (size_t i = 0; i < colon; ++i) {
        if (!IsSchemeCharacter(address[i], i == 0)) return std::nullopt;
    }
    return address.substr(0, colon);
}

AddressParts Split(std::string_view address) {
    AddressParts parts;
    parts.scheme = SchemeOf(address);
    if (parts.scheme) address.remove_prefix(parts.scheme->size() + 1);
    if (const size_t hash = address.find('#'); hash != kNone) {
        parts.fragment = address.substr(hash + 1);
        address = address.substr(0, hash);
    }
    if (const size_t question = address.find('?'); question != kNone) {
        parts.query = address.substr(question + 1);
        address = address.substr(0, question);
    }
    if (address.starts_with("//")) {
        const size_t slash = address.find('/', 2);
        const size_t end = slash == kNone ? address.size() : slash;
        parts.authority = address.substr(2, end - 2);
        address = address.substr(end);
    }
    parts.path = address;
    return parts;
}

// Drops the last segment of `output` together with the "/" before it.
void DropLastSegment(std::string& output) {
    const size_t slash = output.rfind('/');
    output.erase(slash == std::string::npos ? 0 : slash);
}

// RFC 3986, section 5.2.4.
std::string RemoveDotSegments(std::string_view input) {
    std::string output;
    while (!input.empty()) {
        if (input.starts_with("../")) {
            input.remove_prefix(3);
        } else if (input.starts_with("./") || input.starts_with("/./")) {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.starts_with("/../")) {
            input.remove_prefix(3);
            DropLastSegment(output);
        } else if (input == "/..") {
            input = "/";
            DropLastSegment(output);
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            const size_t end = std::min(input.find('/', 1), input.size());
            output.append(input.substr(0, end));
            input.remove_prefix(end);
        }
    }
    return output;
}

// RFC 3986, section 5.2.3.
std::string MergePaths(const AddressParts& base, std::string_view path) {
    if (base.authority && base.path.empty()) return "/" + std::string(path);
    const size_t slash = base.path.rfind('/');
    const size_t kept = slash == kNone ? 0 : slash + 1;
    return std::string(base.path.substr(0, kept)) + std::string(path);
}

std::string Recompose(const AddressParts& parts, std::string_view path) {
    std::string address;
    if (parts.scheme) address.append(*parts.scheme).append(":");
    if (parts.authority) address.append("//").append(*parts.authority);
    address.append(path);
    if (parts.query) address.append("?").append(*parts.query);
    if (parts.fragment) address.append("#").append(*parts.fragment);
    return address;
}

bool IsWebScheme(std::string_view scheme) {
    return text::EqualsIgnoreCase(scheme, "http") || text::EqualsIgnoreCase(scheme, "https");
}

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// The address without the blanks and control characters around it and
// without the tabs and line breaks in it, as browsers read it.
std::string Cleaned(std::string_view written) {
    while (!written.empty() && IsBlankOrControl(written.front())) written.remove_prefix(1);
    while (!written.empty() && IsBlankOrControl(written.back())) written.remove_suffix(1);
    std::string cleaned;
    cleaned.reserve(written.size());
    for (char c : written) {
        if (c != '\t' && c != '\n' && c != '\r') cleaned += c;
    }
    return cleaned;
}

std::string WithControlsEncoded(std::string_view address) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(address.size());
    for (char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            encoded.append({'%', kHex[byte >> 4], kHex[byte & 0xF]});
        } else {
            encoded += c;
        }
    }
    return encoded;
}

} // namespace

std::string ResolveReference(std::string_view base_address, std::string_view reference) {
    const AddressParts base = Split(base_address);
    const AddressParts ref = Split(reference);
    AddressParts target;
    std::string path;
    target.scheme = ref.scheme ? ref.scheme : base.scheme;
    if (ref.scheme || ref.authority) {
        target.authority = ref.authority;
        path = RemoveDotSegments(ref.path);
        target.query = ref.query;
    } else if (ref.path.empty()) {
        target.authority = base.authority;
        path = base.path;
        target.query = ref.query ? ref.query : base.query;
    } else {
        target.authority = base.authority;
        path = RemoveDotSegments(ref.path.starts_with('/') ? std::string(ref.path)
                                                           : MergePaths(base, ref.path));
        target.query = ref.query;
    }
    target.fragment = ref.fragment;
    return Recompose(target, path);
}

bool IsWebAddress(std::string_view address) {
    const AddressParts parts = Split(address);
    if (!parts.scheme || !IsWebScheme(*parts.scheme) || !parts.authority) return false;
    // The host follows any "user@" and comes before any ":port".
    std::string_view host = parts.authority->substr(parts.authority->rfind('@') + 1);
    if (!host.starts_with('[')) host = host.substr(0, host.find(':'));
    return !host.empty();
}

std::optional<std::string> WebAddressIn(std::string_view base, std::string_view written) {
    const std::string cleaned = Cleaned(written);
    // An empty address, or a fragment alone, names the page itself.
    if (cleaned.empty() || cleaned.front() == '#') return std::nullopt;
    const std::optional<std::string_view> scheme = SchemeOf(cleaned);
    if (scheme ? !IsWebScheme(*scheme) : !IsWebAddress(base)) return std::nullopt;

    std::string address = ResolveReference(base, cleaned);
    address.erase(std::min(address.find('#'), address.size()));
    for (size_t i = 0; i < address.size() && address[i] != ':'; ++i) {
        address[i] = text::AsciiLower(address[i]);
    }
    address = WithControlsEncoded(address);
    if (!IsWebAddress(address)) return std::nullopt;
    return address;
}

} // namespace tarnwick::resolve
