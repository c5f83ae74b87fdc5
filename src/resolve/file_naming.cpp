#include "resolve/file_naming.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <utility>

namespace tarnwick::resolve {
namespace {

constexpr float kKiB = 1024.0f;
constexpr float kMiB = 1048576.0f;
constexpr float kGiB = 1073741824.0f;
constexpr float kTiB = 1099511627776.0f;

// The shortest text that reads back as the same 32-bit float.
std::string NumberText(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

char LocaleDecimalPoint() {
    const std::lconv* conv = std::localeconv();
    return (conv != nullptr && conv->decimal_point != nullptr && conv->decimal_point[0] != '\0')
               ? conv->decimal_point[0]
               : '.';
}

// Rounded to one decimal place with exact halves going to the even
// neighbour, written without a trailing zero.
std::string OneDecimalText(double value) {
    const double tenths = std::nearbyint(value * 10.0);
    char buffer[64];
    if (std::fmod(tenths, 10.0) == 0.0) {
        std::snprintf(buffer, sizeof buffer, "%.0f", tenths / 10.0);
        return buffer;
    }
    std::snprintf(buffer, sizeof buffer, "%.1f", tenths / 10.0);
    std::string text = buffer;
    const size_t dot = text.find('.');
    if (dot != std::string::npos) text[dot] = LocaleDecimalPoint();
    return text;
}

bool IsRemovedFromFileNames(unsigned char c) {
    if (c < 32 || c == 127) return true;
    switch (c) {
        case '\\':
        case '/':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
        case '&': return true;
        default: return false;
    }
}

// The format characters (Unicode's category Cf): bidirectional controls that
// turn what follows around, zero-width joiners and spaces, invisible
// separators and tags. In a file name they only disguise what it is.
bool IsFormatCharacter(char32_t c) {
    constexpr std::pair<char32_t, char32_t> kRanges[] = {
        {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
        {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
        {0x200B, 0x200F},   {0x202A, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
        {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
        {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
        {0xE0020, 0xE007F},
    };
    for (const auto& [first, last] : kRanges) {
        if (c >= first && c <= last) return true;
    }
    return false;
}

// The length of the UTF-8 sequence at the text's start and the character it
// encodes; 0 when it is no well-formed sequence.
size_t DecodeUtf8(std::string_view text, char32_t& c) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length = lead < 0x80           ? 1
                    : (lead >> 5) == 0x6  ? 2
                    : (lead >> 4) == 0xE  ? 3
                    : (lead >> 3) == 0x1E ? 4
                                          : 0;
    if (length == 0 || length > text.size()) return 0;
    c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    return length;
}

} // namespace

std::string FormatFileSize(float size) {
    if (std::isnan(size)) return NumberText(size) + " Bytes";
    if (size < kKiB) return NumberText(size) + " Bytes";
    if (size >= kTiB) return {};
    if (size < kMiB) return OneDecimalText(static_cast<double>(size / kKiB)) + " KB";
    if (size < kGiB) return OneDecimalText(static_cast<double>(size) / 1048576.0) + " MB";
    return OneDecimalText(static_cast<double>(size) / 1073741824.0) + " GB";
}

std::string CleanFileName(std::string_view name) {
    std::string cleaned;
    cleaned.reserve(name.size());
    // A character went since the last one kept: a blank on each side of it
    // would be a double blank.
    bool dropped = false;
    while (!name.empty()) {
        char32_t character = 0;
        const size_t length = std::max<size_t>(DecodeUtf8(name, character), 1);
        const bool removed = length == 1
                                 ? IsRemovedFromFileNames(static_cast<unsigned char>(name[0]))
                                 : IsFormatCharacter(character);
        const bool doubled = dropped && name[0] == ' ' && cleaned.ends_with(' ');
        if (!removed && !doubled) cleaned.append(name.substr(0, length));
        dropped = removed || (dropped && doubled);
        name.remove_prefix(length);
    }
    if (cleaned.find_first_not_of('.') == std::string::npos) return kEnterFileName;
    return cleaned;
}

} // namespace tarnwick::resolve
