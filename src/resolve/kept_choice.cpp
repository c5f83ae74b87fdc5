#include "resolve/kept_choice.h"

#include "resolve/url_resolution.h"

#include <nlohmann/json.hpp>

namespace tarnwick::resolve {
namespace {

using nlohmann::json;

json PartJson(const DownloadPart& part) {
    json kept = {{"url", part.url},
                 {"headers", part.headers},
                 {"kind", part.kind == PartKind::kHls ? "hls" : "file"},
                 {"ext", part.ext},
                 {"format_id", part.format_id}};
    if (part.size) kept["size"] = *part.size;
    return kept;
}

std::optional<DownloadPart> ReadPart(const json& kept) {
    if (!kept.is_object()) return std::nullopt;
    DownloadPart part;
    const auto text = [&](const char* key) {
        const auto found = kept.find(key);
        return found != kept.end() && found->is_string() ? found->get<std::string>()
                                                         : std::string();
    };
    part.url = text("url");
    if (!IsWebAddress(part.url)) return std::nullopt;
    part.kind = text("kind") == "hls" ? PartKind::kHls : PartKind::kFile;
    part.ext = text("ext");
    part.format_id = text("format_id");
    if (const auto headers = kept.find("headers"); headers != kept.end() && headers->is_object()) {
        for (const auto& [name, value] : headers->items()) {
            if (value.is_string()) part.headers[name] = value.get<std::string>();
        }
    }
    if (const auto size = kept.find("size"); size != kept.end() && size->is_number_integer()) {
        part.size = size->get<std::int64_t>();
    }
    return part;
}

} // namespace

std::string KeepChoice(const YtDlpChoice& choice) {
    json kept = {{"video", PartJson(choice.video)},
                 {"join", choice.join_container},
                 {"name", choice.file_name}};
    if (choice.audio) kept["audio"] = PartJson(*choice.audio);
    // Texts that are not UTF-8 are kept with replacement characters.
    return kept.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<YtDlpChoice> ReadKeptChoice(std::string_view kept) {
    const json read = json::parse(kept, nullptr, false);
    if (!read.is_object()) return std::nullopt;
    const auto video = read.find("video");
    if (video == read.end()) return std::nullopt;
    std::optional<DownloadPart> video_part = ReadPart(*video);
    if (!video_part) return std::nullopt;
    YtDlpChoice choice;
    choice.video = std::move(*video_part);
    if (const auto audio = read.find("audio"); audio != read.end()) {
        choice.audio = ReadPart(*audio);
        if (!choice.audio) return std::nullopt;
    }
    const auto text = [&](const char* key) {
        const auto found = read.find(key);
        return found != read.end() && found->is_string() ? found->get<std::string>()
                                                         : std::string();
    };
    choice.join_container = text("join");
    choice.file_name = text("name");
    return choice;
}

} // namespace tarnwick::resolve
