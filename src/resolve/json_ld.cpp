#include "resolve/json_ld.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::resolve {
namespace {

// Keeps the members of an object in the order they are written.
using Json = nlohmann::ordered_json;

constexpr int kDeepestNesting = 64;

// The marks that pages put around a script's text to hide it from old
// browsers and XML parsers: "<!--" and "-->", "//<![CDATA[" and "//]]>",
// "/*<![CDATA[*/" and "/*]]>*/". A JSON text neither begins nor ends with
// any of them.
constexpr std::array<std::string_view, 5> kOpeningMarks = {"<!--", "<![CDATA[", "//", "/*", "*/"};
constexpr std::array<std::string_view, 5> kClosingMarks = {"-->", "]]>", "//", "/*", "*/"};

std::string_view TrimJsonBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\n\r";
    const size_t start = std::min(text.find_first_not_of(kBlanks), text.size());
    text.remove_prefix(start);
    return text.substr(0, text.find_last_not_of(kBlanks) + 1);
}

// The text without the marks around it.
std::string_view Unwrapped(std::string_view text) {
    for (bool found = true; found;) {
        text = TrimJsonBlanks(text);
        const auto opening =
            std::find_if(kOpeningMarks.begin(), kOpeningMarks.end(),
                         [&](std::string_view mark) { return text.starts_with(mark); });
        const auto closing =
            std::find_if(kClosingMarks.begin(), kClosingMarks.end(),
                         [&](std::string_view mark) { return text.ends_with(mark); });
        found = opening != kOpeningMarks.end() || closing != kClosingMarks.end();
        if (opening != kOpeningMarks.end()) text.remove_prefix(opening->size());
        if (closing != kClosingMarks.end() && text.ends_with(*closing)) {
            text.remove_suffix(closing->size());
        }
    }
    return text;
}

// The parsed text; a discarded value when it is no JSON. What lies deeper
// than kDeepestNesting is dropped while it is read, so that deep nesting
// costs no memory beyond a bit or two per level.
Json Parse(std::string_view text) {
    const Json::parser_callback_t shallow_only = [](int depth, Json::parse_event_t, Json&) {
        return depth <= kDeepestNesting;
    };
    return Json::parse(Unwrapped(text), shallow_only, /*allow_exceptions=*/false);
}

const Json* Member(const Json& object, const char* key) {
    const auto member = object.find(key);
    return member == object.end() ? nullptr : &*member;
}

// "VideoObject", also as a full name ("https://schema.org/VideoObject",
// "schema:VideoObject").
bool NamesVideoObject(const Json& type) {
    if (!type.is_string()) return false;
    const std::string& name = type.get_ref<const std::string&>();
    return name == "VideoObject" || name.ends_with("/VideoObject") ||
           name.ends_with(":VideoObject");
}

bool IsVideoObject(const Json& object) {
    const Json* type = Member(object, "@type");
    if (type == nullptr) return false;
    if (type->is_array()) return std::any_of(type->begin(), type->end(), NamesVideoObject);
    return NamesVideoObject(*type);
}

// A width or height: a number, a text with a number, or a QuantitativeValue
// holding either as its "value".
std::optional<long> SizeIn(const Json* size) {
    if (size != nullptr && size->is_object()) size = Member(*size, "value");
    if (size == nullptr) return std::nullopt;
    if (size->is_number()) return SizeOf(size->get<double>());
    if (size->is_string()) return SizeOf(size->get_ref<const std::string&>());
    return std::nullopt;
}

std::optional<VideoCandidate> VideoOf(const Json& object) {
    const Json* address = Member(object, "contentUrl");
    if (address == nullptr || !address->is_string()) return std::nullopt;
    VideoCandidate video;
    video.address = address->get<std::string>();
    // Only a media type declares one; "mp4" alone leaves it to the extension.
    const Json* format = Member(object, "encodingFormat");
    if (format != nullptr && format->is_string()) {
        const std::string& type = format->get_ref<const std::string&>();
        if (type.find('/') != std::string::npos) video.type = MediaTypeOf(type);
    }
    video.width = SizeIn(Member(object, "width"));
    video.height = SizeIn(Member(object, "height"));
    return video;
}

} // namespace

std::vector<VideoCandidate> VideoObjectsIn(std::string_view text, size_t limit) {
    const Json document = Parse(text);
    std::vector<VideoCandidate> found;
    // Depth first, each value's members in the order they are written.
    std::vector<const Json*> pending = {&document};
    while (!pending.empty() && found.size() < limit) {
        const Json& value = *pending.back();
        pending.pop_back();
        if (value.is_object() && IsVideoObject(value)) {
            if (std::optional<VideoCandidate> video = VideoOf(value)) found.push_back(*video);
        }
        if (!value.is_structured()) continue;
        for (auto member = value.rbegin(); member != value.rend(); ++member) {
            pending.push_back(&*member);
        }
    }
    return found;
}

} // namespace tarnwick::resolve
