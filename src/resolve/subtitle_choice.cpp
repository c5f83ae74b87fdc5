#include "resolve/subtitle_choice.h"

#include "common/text.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace tarnwick::resolve {
namespace {

struct NamedLanguage {
    std::string_view code;
    std::string_view english;
    std::string_view own;
    std::string_view three_letters;
};

// The languages sites most often name rather than code.
constexpr std::array<NamedLanguage, 30> kNamedLanguages = {{
    {"ar", "arabic", "العربية", "ara"},
    {"cs", "czech", "čeština", "ces"},
    {"da", "danish", "dansk", "dan"},
    {"de", "german", "deutsch", "deu"},
    {"el", "greek", "ελληνικά", "ell"},
    {"en", "english", "english", "eng"},
    {"es", "spanish", "español", "spa"},
    {"fa", "persian", "فارسی", "fas"},
    {"fi", "finnish", "suomi", "fin"},
    {"fr", "french", "français", "fra"},
    {"he", "hebrew", "עברית", "heb"},
    {"hi", "hindi", "हिन्दी", "hin"},
    {"hu", "hungarian", "magyar", "hun"},
    {"id", "indonesian", "bahasa indonesia", "ind"},
    {"it", "italian", "italiano", "ita"},
    {"ja", "japanese", "日本語", "jpn"},
    {"ko", "korean", "한국어", "kor"},
    {"nl", "dutch", "nederlands", "nld"},
    {"no", "norwegian", "norsk", "nor"},
    {"pl", "polish", "polski", "pol"},
    {"pt", "portuguese", "português", "por"},
    {"ro", "romanian", "română", "ron"},
    {"ru", "russian", "русский", "rus"},
    {"sv", "swedish", "svenska", "swe"},
    {"th", "thai", "ไทย", "tha"},
    {"tr", "turkish", "türkçe", "tur"},
    {"uk", "ukrainian", "українська", "ukr"},
    {"vi", "vietnamese", "tiếng việt", "vie"},
    {"zh", "chinese", "中文", "zho"},
    {"ca", "catalan", "català", "cat"},
}};

bool IsCodeCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// The part before the first dash: "en" of "en-us".
std::string_view Primary(std::string_view code) { return code.substr(0, code.find('-')); }

// The label's first words, before any bracket: "English (auto)": "english".
std::string LabelWords(const std::string& label) {
    std::string words = text::ToLowerAscii(label.substr(0, label.find_first_of("([")));
    return text::TrimSpaces(words);
}

int ExtensionRank(const std::string& ext) { return ext == "srt" ? 1 : 0; }

// The best offer of the language among those `fits` lets through.
template <typename Fits>
const SubtitleOffer* BestOf(const std::vector<SubtitleOffer>& offers, const std::string& language,
                            Fits fits) {
    const SubtitleOffer* best = nullptr;
    for (const SubtitleOffer& offer : offers) {
        if (!fits(offer) || !IsInLanguage(offer, language)) continue;
        if (best == nullptr || ExtensionRank(offer.ext) > ExtensionRank(best->ext)) best = &offer;
    }
    return best;
}

} // namespace

std::string LanguageOf(const std::string& key_or_label) {
    const std::string lower = text::ToLowerAscii(text::TrimSpaces(key_or_label));
    const std::string words = LabelWords(key_or_label);
    for (const NamedLanguage& named : kNamedLanguages) {
        if (words == named.english || words == named.own) return std::string(named.code);
    }
    const std::string_view primary = Primary(lower);
    const bool coded = !lower.empty() && primary.size() >= 2 && primary.size() <= 3 &&
                       std::all_of(lower.begin(), lower.end(), IsCodeCharacter);
    return coded ? lower : std::string();
}

std::string ThreeLetterLanguage(const std::string& language) {
    const std::string_view primary = Primary(language);
    for (const NamedLanguage& named : kNamedLanguages) {
        if (named.code == primary) return std::string(named.three_letters);
    }
    return {};
}

bool IsInLanguage(const SubtitleOffer& offer, const std::string& language) {
    for (const std::string* named : {&offer.key, &offer.label}) {
        const std::string code = LanguageOf(*named);
        if (code.empty()) continue;
        if (code == language) return true;
        // A language without a region takes each of its regions.
        if (language.find('-') == std::string::npos && Primary(code) == language) return true;
    }
    return false;
}

SubtitleChoice ChooseSubtitles(const std::vector<SubtitleOffer>& offers,
                               const QualityPreferences& preferences) {
    SubtitleChoice choice;
    for (const std::string& language : preferences.subtitle_languages) {
        const SubtitleOffer* found =
            BestOf(offers, language, [](const SubtitleOffer& o) { return !o.automatic; });
        if (found == nullptr && preferences.automatic_subtitles) {
            found = BestOf(offers, language,
                           [](const SubtitleOffer& o) { return o.automatic && !o.translated; });
        }
        if (found == nullptr && preferences.translated_subtitles) {
            found = BestOf(offers, language, [](const SubtitleOffer& o) { return o.translated; });
        }
        if (found == nullptr) {
            choice.missing.push_back(language);
            continue;
        }
        choice.chosen.push_back({language, found->url, found->ext, found->pieces});
    }
    return choice;
}

std::string MissingSubtitlesNote(const std::vector<std::string>& languages) {
    return "This page has no subtitles in " + LanguagesText(languages);
}

} // namespace tarnwick::resolve
