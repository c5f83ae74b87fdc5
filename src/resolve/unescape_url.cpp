#include "resolve/unescape_url.h"

#include <algorithm>

namespace tarnwick::resolve {
namespace {

// The value of a hexadecimal digit, or -1.
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The byte that the escape starting at `index` stands for, or -1 when the
// text there is no escape that gets decoded.
int EscapedByte(std::string_view address, std::size_t index) {
    if (address[index] != '%' || index + 2 >= address.size()) return -1;
    const int high = HexValue(address[index + 1]);
    const int low = HexValue(address[index + 2]);
    if (high < 0 || low < 0) return -1;
    const int byte = high * 16 + low;
    return byte == 0 ? -1 : byte;
}

} // namespace

std::string UnescapeUrl(std::string_view address) {
    std::string decoded;
    decoded.reserve(std::min(address.size(), kUnescapedUrlLimit));
    for (std::size_t i = 0; i < address.size(); ++i) {
        const int byte = EscapedByte(address, i);
        if (byte >= 0) {
            decoded.push_back(static_cast<char>(byte));
            i += 2;
        } else {
            decoded.push_back(address[i]);
        }
        if (decoded.size() >= kUnescapedUrlLimit) return {};
    }
    return decoded;
}

} // namespace tarnwick::resolve
