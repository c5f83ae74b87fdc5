#include "resolve/kept_choice.h"

#include "resolve/url_resolution.h"

#include <nlohmann/json.hpp>

#include <algorithm>

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

std::string TextOf(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

int64_t IntegerOf(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_number_integer() ? found->get<int64_t>() : 0;
}

bool FlagOf(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_boolean() && found->get<bool>();
}

json SoundJson(const SoundOutput& sound) {
    json kept = {{"as", SoundWord(sound.kept_as)}, {"copy", sound.copy},
                 {"kbps", sound.source_kbps},      {"from_video", sound.from_video},
                 {"title", sound.title},           {"artist", sound.artist}};
    if (sound.playing_ms) kept["ms"] = *sound.playing_ms;
    return kept;
}

std::optional<SoundOutput> ReadSound(const json& kept) {
    if (!kept.is_object()) return std::nullopt;
    SoundOutput sound;
    sound.kept_as = SoundOfWord(TextOf(kept, "as"));
    if (sound.kept_as == SoundOnly::kOff) return std::nullopt;
    sound.copy = FlagOf(kept, "copy");
    sound.source_kbps = static_cast<int>(std::clamp<int64_t>(IntegerOf(kept, "kbps"), 0, 100000));
    sound.from_video = FlagOf(kept, "from_video");
    sound.title = TextOf(kept, "title");
    sound.artist = TextOf(kept, "artist");
    if (const int64_t ms = IntegerOf(kept, "ms"); ms > 0) sound.playing_ms = ms;
    return sound;
}

json SubtitlesJson(const SubtitleChoice& subtitles) {
    json chosen = json::array();
    for (const ChosenSubtitle& s : subtitles.chosen)
        chosen.push_back(
            {{"language", s.language}, {"url", s.url}, {"ext", s.ext}, {"pieces", s.pieces}});
    return {{"chosen", chosen}, {"missing", subtitles.missing}};
}

SubtitleChoice ReadSubtitles(const json& kept) {
    SubtitleChoice subtitles;
    if (!kept.is_object()) return subtitles;
    if (const auto chosen = kept.find("chosen"); chosen != kept.end() && chosen->is_array()) {
        for (const json& s : *chosen) {
            if (!s.is_object()) continue;
            ChosenSubtitle read{TextOf(s, "language"), TextOf(s, "url"), TextOf(s, "ext"),
                                FlagOf(s, "pieces")};
            const bool coded = LanguagesOfText(read.language) == std::vector{read.language};
            if (coded && IsWebAddress(read.url) && (read.ext == "srt" || read.ext == "vtt"))
                subtitles.chosen.push_back(std::move(read));
        }
    }
    if (const auto missing = kept.find("missing"); missing != kept.end() && missing->is_array()) {
        for (const json& language : *missing) {
            if (language.is_string()) subtitles.missing.push_back(language.get<std::string>());
        }
    }
    return subtitles;
}

} // namespace

std::string KeepChoice(const YtDlpChoice& choice) {
    json kept = {{"video", PartJson(choice.video)},
                 {"join", choice.join_container},
                 {"name", choice.file_name}};
    if (!choice.identity.empty()) kept["identity"] = choice.identity;
    if (choice.audio) kept["audio"] = PartJson(*choice.audio);
    if (choice.sound) kept["sound"] = SoundJson(*choice.sound);
    if (!choice.subtitles.chosen.empty() || !choice.subtitles.missing.empty())
        kept["subtitles"] = SubtitlesJson(choice.subtitles);
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
    choice.identity = text("identity");
    if (choice.identity.find('\n') != std::string::npos) choice.identity.clear();
    if (const auto sound = read.find("sound"); sound != read.end()) {
        choice.sound = ReadSound(*sound);
        if (!choice.sound) return std::nullopt;
    }
    if (const auto subtitles = read.find("subtitles"); subtitles != read.end())
        choice.subtitles = ReadSubtitles(*subtitles);
    return choice;
}

} // namespace tarnwick::resolve
