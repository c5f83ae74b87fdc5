#include "resolve/quality_preferences.h"

#include "common/text.h"

#include <algorithm>
#include <array>
#include <sstream>

namespace tarnwick::resolve {
namespace {

constexpr size_t kMostLanguages = 10;

bool IsLetter(char c) { return c >= 'a' && c <= 'z'; }
bool IsLetterOrDigit(char c) { return IsLetter(c) || (c >= '0' && c <= '9'); }

// "en", "pt-br", "zh-hans": a primary code of 2 or 3 letters, then subtags
// of 2 to 8 letters or digits.
bool IsLanguageCode(const std::string& code) {
    size_t at = 0;
    while (at < code.size() && IsLetter(code[at])) ++at;
    if (at < 2 || at > 3) return false;
    while (at < code.size()) {
        if (code[at] != '-') return false;
        const size_t start = ++at;
        while (at < code.size() && IsLetterOrDigit(code[at])) ++at;
        if (at - start < 2 || at - start > 8) return false;
    }
    return true;
}

bool Flag(const std::string& word) { return word == "1"; }

} // namespace

std::optional<int64_t> CappedHeight(const std::vector<int64_t>& heights, int64_t max_height) {
    if (max_height <= 0 || heights.empty()) return std::nullopt;
    if (std::any_of(heights.begin(), heights.end(), [&](int64_t h) { return h <= max_height; }))
        return max_height;
    return *std::min_element(heights.begin(), heights.end());
}

// A height of the record: any of lines a page may offer.
int64_t RecordHeight(const std::string& word) {
    if (word.empty() || word.size() > 6 ||
        !std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    return std::stoll(word);
}

std::string HeightWord(int64_t max_height) {
    return max_height == 0 ? "best" : std::to_string(max_height);
}

int64_t HeightOfWord(const std::string& word) {
    const std::string trimmed = text::TrimSpaces(word);
    for (const int64_t height : kQualityHeights) {
        if (trimmed == HeightWord(height)) return height;
    }
    return 0;
}

std::string ContainerWord(PreferredContainer container) {
    switch (container) {
        case PreferredContainer::kMp4: return "mp4";
        case PreferredContainer::kMkv: return "mkv";
        case PreferredContainer::kBest: return "best";
    }
    return "mp4";
}

PreferredContainer ContainerOfWord(const std::string& word) {
    const std::string trimmed = text::TrimSpaces(word);
    for (const PreferredContainer container : kContainers) {
        if (text::EqualsIgnoreCase(trimmed, ContainerWord(container))) return container;
    }
    return PreferredContainer::kMp4;
}

std::string SoundWord(SoundOnly sound) {
    return sound == SoundOnly::kOff ? "off" : SoundExtension(sound);
}

SoundOnly SoundOfWord(const std::string& word) {
    const std::string trimmed = text::TrimSpaces(word);
    for (const SoundOnly sound : kSounds) {
        if (text::EqualsIgnoreCase(trimmed, SoundWord(sound))) return sound;
    }
    return SoundOnly::kOff;
}

std::string SoundExtension(SoundOnly sound) {
    switch (sound) {
        case SoundOnly::kOff: break;
        case SoundOnly::kM4a: return "m4a";
        case SoundOnly::kMp3: return "mp3";
        case SoundOnly::kOpus: return "opus";
    }
    return {};
}

std::string SoundName(SoundOnly sound) {
    switch (sound) {
        case SoundOnly::kOff: break;
        case SoundOnly::kM4a: return "M4A";
        case SoundOnly::kMp3: return "MP3";
        case SoundOnly::kOpus: return "Opus";
    }
    return {};
}

std::vector<std::string> LanguagesOfText(const std::string& text) {
    std::vector<std::string> languages;
    std::istringstream in(text);
    for (std::string piece; std::getline(in, piece, ',');) {
        const std::string code = text::ToLowerAscii(text::TrimSpaces(piece));
        if (!IsLanguageCode(code)) continue;
        if (std::find(languages.begin(), languages.end(), code) != languages.end()) continue;
        languages.push_back(code);
        if (languages.size() == kMostLanguages) break;
    }
    return languages;
}

std::string LanguagesText(const std::vector<std::string>& languages) {
    std::string text;
    for (const std::string& language : languages) text += (text.empty() ? "" : ", ") + language;
    return text;
}

std::string ChoiceRecord(const QualityPreferences& choice) {
    std::string languages;
    for (const std::string& language : choice.subtitle_languages)
        languages += (languages.empty() ? "" : ",") + language;
    return "quality=" + HeightWord(choice.max_height) +
           " format=" + ContainerWord(choice.container) + " sound=" + SoundWord(choice.sound_only) +
           " subtitles=" + languages + " automatic=" + (choice.automatic_subtitles ? "1" : "0") +
           " translated=" + (choice.translated_subtitles ? "1" : "0") +
           " inside=" + (choice.subtitles_inside ? "1" : "0");
}

std::optional<QualityPreferences> ParseChoiceRecord(const std::string& record) {
    if (record.rfind("quality=", 0) != 0) return std::nullopt;
    QualityPreferences choice;
    std::istringstream in(record);
    for (std::string word; in >> word;) {
        const size_t equals = word.find('=');
        if (equals == std::string::npos) return std::nullopt;
        const std::string name = word.substr(0, equals);
        const std::string value = word.substr(equals + 1);
        if (name == "quality") choice.max_height = RecordHeight(value);
        if (name == "format") choice.container = ContainerOfWord(value);
        if (name == "sound") choice.sound_only = SoundOfWord(value);
        if (name == "subtitles") choice.subtitle_languages = LanguagesOfText(value);
        if (name == "automatic") choice.automatic_subtitles = Flag(value);
        if (name == "translated") choice.translated_subtitles = Flag(value);
        if (name == "inside") choice.subtitles_inside = Flag(value);
    }
    return choice;
}

} // namespace tarnwick::resolve
