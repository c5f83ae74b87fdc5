#include "resolve/typed_name.h"

#include "resolve/file_naming.h"

#include <algorithm>
#include <cctype>

namespace tarnwick::resolve {
namespace {

constexpr size_t kLongestExtension = 5;

bool IsAsciiAlnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }
bool IsAsciiAlpha(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

} // namespace

std::string_view ExtensionOf(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    const std::string_view letters = name.substr(dot + 1);
    if (letters.empty() || letters.size() > kLongestExtension) return {};
    if (!std::all_of(letters.begin(), letters.end(), IsAsciiAlnum)) return {};
    if (std::none_of(letters.begin(), letters.end(), IsAsciiAlpha)) return {};
    return name.substr(dot);
}

std::string TypedFileName(std::string_view typed, std::string_view current) {
    std::string name = CleanFileName(typed);
    if (name == kEnterFileName || !ExtensionOf(name).empty()) return name;
    const std::string_view extension = ExtensionOf(current);
    if (extension.empty()) return name;
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (name.empty()) return kEnterFileName;
    return name + std::string(extension);
}

} // namespace tarnwick::resolve
