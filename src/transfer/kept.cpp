#include "transfer/kept.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace tarnwick::transfer {
namespace {

using Json = nlohmann::json;

template <typename... F>
struct Overloaded : F... {
    using F::operator()...;
};
// Spelled out for compilers that deduce no aggregate's arguments (clang 14).
template <typename... F>
Overloaded(F...) -> Overloaded<F...>;

std::string Hex(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::optional<uint64_t> ReadHex(std::string_view text) {
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

Json ToJson(const KeptOne& kept) {
    return std::visit(Overloaded{[](const KeptWhole& whole) {
                                     Json json = {{"path", whole.path},
                                                  {"bytes", whole.bytes},
                                                  {"validator", whole.validator}};
                                     if (whole.total) json["total"] = *whole.total;
                                     return Json{{"whole", json}};
                                 },
                                 [](const KeptParts& parts) {
                                     return Json{{"parts",
                                                  {{"path", parts.path},
                                                   {"validator", parts.validator},
                                                   {"total", parts.layout.Total()},
                                                   {"layout", parts.layout.Text()}}}};
                                 },
                                 [](const KeptStream& stream) {
                                     return Json{{"stream",
                                                  {{"path", stream.path},
                                                   {"bytes", stream.bytes},
                                                   {"pieces", stream.pieces},
                                                   {"total", stream.total},
                                                   {"fingerprint", Hex(stream.fingerprint)}}}};
                                 }},
                      kept);
}

// Reads the members it knows; a member of the wrong type throws, and the
// record is then none.
std::optional<KeptOne> OneFromJson(const Json& json) {
    if (!json.is_object() || json.size() != 1) return std::nullopt;
    const Json& body = json.begin().value();
    const std::string& kind = json.begin().key();
    if (!body.is_object()) return std::nullopt;
    const std::string path = body.at("path").get<std::string>();
    if (path.empty()) return std::nullopt;
    if (kind == "whole") {
        KeptWhole whole{path, body.at("bytes").get<int64_t>(), std::nullopt,
                        body.at("validator").get<std::string>()};
        if (body.contains("total")) whole.total = body.at("total").get<int64_t>();
        if (whole.bytes < 0 || (whole.total && whole.bytes > *whole.total)) return std::nullopt;
        return whole;
    }
    if (kind == "parts") {
        std::optional<PartLayout> layout =
            PartLayout::Read(body.at("layout").get<std::string>(), body.at("total").get<int64_t>());
        if (!layout) return std::nullopt;
        return KeptParts{path, body.at("validator").get<std::string>(), std::move(*layout)};
    }
    if (kind == "stream") {
        const std::optional<uint64_t> fingerprint =
            ReadHex(body.at("fingerprint").get<std::string>());
        KeptStream stream{path, body.at("bytes").get<int64_t>(), body.at("pieces").get<size_t>(),
                          body.at("total").get<size_t>(), fingerprint.value_or(0)};
        if (!fingerprint || stream.bytes < 0 || stream.pieces > stream.total) return std::nullopt;
        return stream;
    }
    return std::nullopt;
}

} // namespace

std::string PathOf(const KeptOne& kept) {
    return std::visit([](const auto& one) { return one.path; }, kept);
}

int64_t BytesOf(const KeptOne& kept) {
    return std::visit(
        Overloaded{[](const KeptParts& parts) { return parts.layout.DoneFromStart(); },
                   [](const auto& one) { return one.bytes; }},
        kept);
}

std::vector<std::string> PathsOf(const Kept& kept) {
    if (const auto* pair = std::get_if<KeptPair>(&kept)) {
        std::vector<std::string> paths;
        for (const auto* one : {&pair->picture, &pair->sound}) {
            if (*one) paths.push_back(PathOf(**one));
        }
        return paths;
    }
    return {PathOf(*SingleOf(kept))};
}

int64_t BytesOf(const Kept& kept) {
    if (const auto* pair = std::get_if<KeptPair>(&kept)) {
        return (pair->picture ? BytesOf(*pair->picture) : 0) +
               (pair->sound ? BytesOf(*pair->sound) : 0);
    }
    return BytesOf(*SingleOf(kept));
}

Kept AsKept(const KeptOne& kept) {
    return std::visit([](const auto& one) { return Kept(one); }, kept);
}

std::optional<KeptOne> SingleOf(const Kept& kept) {
    if (const auto* whole = std::get_if<KeptWhole>(&kept)) return *whole;
    if (const auto* parts = std::get_if<KeptParts>(&kept)) return *parts;
    if (const auto* stream = std::get_if<KeptStream>(&kept)) return *stream;
    return std::nullopt;
}

namespace {

bool SameShape(const KeptOne& one, const KeptOne& other) {
    if (one.index() != other.index()) return false;
    if (const auto* whole = std::get_if<KeptWhole>(&one)) {
        const auto& that = std::get<KeptWhole>(other);
        return whole->path == that.path && whole->total == that.total &&
               whole->validator == that.validator;
    }
    if (const auto* parts = std::get_if<KeptParts>(&one)) {
        const auto& that = std::get<KeptParts>(other);
        if (parts->path != that.path || parts->validator != that.validator ||
            parts->layout.Count() != that.layout.Count()) {
            return false;
        }
        for (size_t i = 0; i < parts->layout.Count(); ++i) {
            if (parts->layout[i].start != that.layout[i].start ||
                parts->layout[i].end != that.layout[i].end) {
                return false;
            }
        }
        return true;
    }
    const auto& stream = std::get<KeptStream>(one);
    const auto& that = std::get<KeptStream>(other);
    return stream.path == that.path && stream.total == that.total &&
           stream.fingerprint == that.fingerprint;
}

bool SameShape(const std::optional<KeptOne>& one, const std::optional<KeptOne>& other) {
    if (!one || !other) return !one && !other;
    return SameShape(*one, *other);
}

// "hls:WRITTEN/TOTAL/FINGERPRINT", the mark earlier versions kept.
std::optional<KeptStream> ReadStreamMark(std::string_view mark, const std::string& path,
                                         int64_t bytes) {
    constexpr std::string_view kPrefix = "hls:";
    if (!mark.starts_with(kPrefix)) return std::nullopt;
    mark.remove_prefix(kPrefix.size());
    const size_t first = mark.find('/');
    const size_t second = first == std::string_view::npos ? first : mark.find('/', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const auto number = [](std::string_view text) -> std::optional<size_t> {
        size_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
            return std::nullopt;
        }
        return value;
    };
    const std::optional<size_t> written = number(mark.substr(0, first));
    const std::optional<size_t> total = number(mark.substr(first + 1, second - first - 1));
    const std::optional<uint64_t> fingerprint = ReadHex(mark.substr(second + 1));
    if (!written || !total || !fingerprint || *written > *total) return std::nullopt;
    return KeptStream{path, bytes, *written, *total, *fingerprint};
}

} // namespace

std::optional<Kept> KeptFromFields(const std::string& path, int64_t bytes,
                                   const std::string& validator, const std::string& parts,
                                   std::optional<int64_t> total) {
    if (path.empty()) return std::nullopt;
    bytes = std::max<int64_t>(bytes, 0);
    if (std::optional<KeptStream> stream = ReadStreamMark(validator, path, bytes)) return *stream;
    if (!parts.empty()) {
        std::optional<PartLayout> layout = total ? PartLayout::Read(parts, *total) : std::nullopt;
        if (!layout) return std::nullopt;
        return KeptParts{path, validator, std::move(*layout)};
    }
    if (total && bytes > *total) total.reset();
    return KeptWhole{path, bytes, total, validator};
}

bool OnlyProgressDiffers(const Kept& one, const Kept& other) {
    const auto* pair = std::get_if<KeptPair>(&one);
    const auto* other_pair = std::get_if<KeptPair>(&other);
    if (pair != nullptr || other_pair != nullptr) {
        return pair != nullptr && other_pair != nullptr &&
               SameShape(pair->picture, other_pair->picture) &&
               SameShape(pair->sound, other_pair->sound);
    }
    return SameShape(*SingleOf(one), *SingleOf(other));
}

std::string KeptText(const Kept& kept) {
    if (const auto* pair = std::get_if<KeptPair>(&kept)) {
        Json json = Json::object();
        if (pair->picture) json["picture"] = ToJson(*pair->picture);
        if (pair->sound) json["sound"] = ToJson(*pair->sound);
        return Json{{"pair", json}}.dump();
    }
    return ToJson(*SingleOf(kept)).dump();
}

std::optional<Kept> ReadKept(std::string_view text) {
    const Json json = Json::parse(text, nullptr, false);
    if (json.is_discarded()) return std::nullopt;
    try {
        if (json.is_object() && json.size() == 1 && json.contains("pair")) {
            const Json& pair = json.at("pair");
            if (!pair.is_object()) return std::nullopt;
            KeptPair kept;
            if (pair.contains("picture") && !(kept.picture = OneFromJson(pair.at("picture")))) {
                return std::nullopt;
            }
            if (pair.contains("sound") && !(kept.sound = OneFromJson(pair.at("sound")))) {
                return std::nullopt;
            }
            return kept;
        }
        const std::optional<KeptOne> one = OneFromJson(json);
        if (!one) return std::nullopt;
        return AsKept(*one);
    } catch (const Json::exception&) {
        return std::nullopt;
    }
}

} // namespace tarnwick::transfer
