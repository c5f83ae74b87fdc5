#include "resolve/file_naming.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>

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
    for (const char c : name) {
        if (!IsRemovedFromFileNames(static_cast<unsigned char>(c))) cleaned.push_back(c);
    }
    if (cleaned.find_first_not_of('.') == std::string::npos) return kEnterFileName;
    return cleaned;
}

} // namespace tarnwick::resolve
