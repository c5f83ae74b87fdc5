#include "resolve/derived_name.h"

#include "common/text.h"
#include "resolve/file_naming.h"
#include "resolve/site_index.h"
#include "resolve/unescape_url.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

namespace tarnwick::resolve {
namespace {

constexpr size_t kMaxExtension = 5;

bool EndsInVideoExtension(const std::string& link) {
    const std::string ext = text::ToLowerAscii(text::Right(link, 4));
    return ext == ".flv" || ext == ".wmv";
}

// The link's own last segment; the whole link when it has no "/".
std::string LastSegment(const std::string& link) {
    const long slash = text::FindLast(link, "/");
    return slash > 0 ? text::Part(link, slash + 1) : link;
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// A general link's name: the last segment of its path, without the query or
// the fragment, its escapes decoded where they give UTF-8.
std::string LastPathSegment(const std::string& link) {
    const std::string segment = LastSegment(link.substr(0, link.find_first_of("?#")));
    const std::string decoded = UnescapeUrl(segment);
    return decoded.empty() || !text::IsUtf8(decoded) ? segment : decoded;
}

} // namespace

std::string_view CutAtCharacter(std::string_view text, size_t limit) {
    if (text.size() <= limit) return text;
    constexpr size_t kMaxContinuationBytes = 3;
    size_t cut = limit;
    while (cut > 0 && limit - cut <= kMaxContinuationBytes && IsContinuationByte(text[cut])) --cut;
    if (limit - cut > kMaxContinuationBytes || (cut == 0 && IsContinuationByte(text[0])))
        cut = limit;
    return text.substr(0, cut);
}

namespace {

// The extension of up to five characters, with its dot; empty without one.
std::string_view ShortExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return {};
    if (name.size() - dot - 1 > kMaxExtension) return {};
    return name.substr(dot);
}

// At most `limit` bytes: the stem is cut, the short extension kept. A cut
// stem ends in neither a blank nor a dot ("prize winning .mp4"); the stem
// never starts with either, so something is left of it.
std::string FitName(const std::string& name, size_t limit) {
    if (name.size() <= limit) return name;
    const std::string_view extension = ShortExtension(name);
    const std::string_view stem = std::string_view(name).substr(0, name.size() - extension.size());
    std::string_view cut = CutAtCharacter(stem, limit - extension.size());
    while (!cut.empty() && (cut.back() == ' ' || cut.back() == '.')) cut.remove_suffix(1);
    return std::string(cut) + std::string(extension);
}

// A server's or a link's name never makes a hidden file.
std::string WithoutLeadingDotsAndBlanks(std::string name) {
    name.erase(0, name.find_first_not_of(". "));
    return name;
}

bool IsReservedOnWindows(std::string_view name) {
    const std::string stem = text::ToLowerAscii(name.substr(0, name.find('.')));
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul") return true;
    return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) &&
           stem[3] >= '1' && stem[3] <= '9';
}

} // namespace

std::string DeriveFileName(const std::string& link, std::string name, int site_index) {
    if (site_index == kSiteGeneral) {
        if (name.empty()) name = LastPathSegment(link);
    } else if (name.empty() || EndsInVideoExtension(link)) {
        name = LastSegment(link);
    }
    name = WithoutLeadingDotsAndBlanks(CleanFileName(name));
    if (name.empty()) name = kEnterFileName;
    if (site_index == kSiteYouTube || site_index == kSiteDailyMotion ||
        site_index == kSiteZippyVideos) {
        name += ".flv";
    }
    name = FitName(name, kMaxFileName);
    if (site_index == kSiteYouTube) name = FitName(name, kMaxYouTubeFileName);
#ifdef _WIN32
    name = WindowsSafeName(name);
#endif
    return name;
}

std::string WindowsSafeName(std::string name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (name.empty()) return kEnterFileName;
    if (IsReservedOnWindows(name)) name.insert(0, "_");
    return name;
}

std::string WithExtension(const std::string& name, std::string_view extension) {
    const size_t dot = name.find_last_of('.');
    constexpr size_t kLongestExtension = 5;
    const bool has_one =
        dot != std::string::npos && dot > 0 && name.size() - dot <= kLongestExtension + 1;
    return (has_one ? name.substr(0, dot) : name) + std::string(extension);
}

std::string ExtensionOfType(std::string_view type) {
    static constexpr std::pair<std::string_view, std::string_view> kTypes[] = {
        {"video/mp4", ".mp4"},       {"video/webm", ".webm"},    {"video/x-matroska", ".mkv"},
        {"video/mp2t", ".ts"},       {"video/x-flv", ".flv"},    {"video/quicktime", ".mov"},
        {"video/x-msvideo", ".avi"}, {"video/x-ms-wmv", ".wmv"}, {"video/3gpp", ".3gp"},
        {"video/mpeg", ".mpg"},      {"video/ogg", ".ogv"},      {"audio/mp4", ".m4a"},
        {"audio/mpeg", ".mp3"},      {"audio/ogg", ".ogg"},      {"audio/opus", ".opus"},
        {"audio/webm", ".weba"},     {"audio/aac", ".aac"},      {"audio/flac", ".flac"},
        {"audio/wav", ".wav"},       {"audio/x-wav", ".wav"},
    };
    for (const auto& [name, extension] : kTypes) {
        if (text::EqualsIgnoreCase(type, name)) return std::string(extension);
    }
    return {};
}

namespace {

// Whether the name ends in an extension of one to five letters and digits.
bool HasExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || name.size() - dot - 1 > 5 ||
        dot + 1 == name.size()) {
        return false;
    }
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(dot) + 1, name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

} // namespace

std::string NameOfFile(std::string_view title, const std::string& link, std::string suggested,
                       int site_index, std::string_view extension, std::string_view type) {
    if (!title.empty()) {
        std::string ending(extension);
        if (ending.empty()) ending = ExtensionOfType(type);
        if (ending.empty()) ending = ".mp4";
        return CleanFileName(CutAtCharacter(title, kMaxFileName - ending.size())) + ending;
    }
    std::string derived = DeriveFileName(link, std::move(suggested), site_index);
    if (!extension.empty()) return WithExtension(derived, extension);
    if (!HasExtension(derived)) {
        const std::string of_type = ExtensionOfType(type);
        derived = std::string(CutAtCharacter(derived, kMaxFileName - of_type.size())) + of_type;
    }
    return derived;
}

std::string NumberedName(const std::string& name, int number) {
    const size_t dot = name.rfind('.');
    const std::string suffix = " (" + std::to_string(number) + ")";
    if (dot == std::string::npos || dot == 0) return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

} // namespace tarnwick::resolve
