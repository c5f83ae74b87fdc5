// Which of the subtitles a page offers go with its video: the languages the
// user asked for, in order, the creator's before the site's automatic ones,
// and never a machine translation of those.
#pragma once

#include "resolve/quality_preferences.h"

#include <string>
#include <vector>

namespace tarnwick::resolve {

// One subtitle file a page offers.
struct SubtitleOffer {
    // The site's key for it: a language code ("en", "en-US", "en-orig") or,
    // with some sites, a label ("English").
    std::string key;
    // The site's own name for it, where it gave one ("English (auto)").
    std::string label;
    std::string url;
    // "srt" or "vtt".
    std::string ext;
    // Made by the site's speech recognition, not by the video's creator.
    bool automatic = false;
    // An automatic subtitle machine-translated from another language.
    bool translated = false;
    // The address is a stream's playlist of WebVTT pieces, not the file.
    bool pieces = false;
    bool operator==(const SubtitleOffer&) const = default;
};

// A subtitle chosen, under the language it was asked for.
struct ChosenSubtitle {
    std::string language;
    std::string url;
    std::string ext;
    // The address is a stream's playlist of WebVTT pieces.
    bool pieces = false;
    bool operator==(const ChosenSubtitle&) const = default;
};

struct SubtitleChoice {
    std::vector<ChosenSubtitle> chosen;
    // The languages asked for that the page has no subtitles in.
    std::vector<std::string> missing;
    bool operator==(const SubtitleChoice&) const = default;
};

// The language code a key or label stands for, in small letters: a code as
// it is ("pt-BR": "pt-br"), a language's English or own name as its code
// ("English", "Deutsch": "en", "de"); empty when it names none known.
std::string LanguageOf(const std::string& key_or_label);

// The ISO 639-2 code of a language ("en": "eng"), as MP4 and Matroska tag
// their streams with; empty for a language not known.
std::string ThreeLetterLanguage(const std::string& language);

// Whether an offer is of `language` ("en" takes "en-US" and "en-orig";
// "pt-br" only "pt-BR").
bool IsInLanguage(const SubtitleOffer& offer, const std::string& language);

// For each language asked for, the creator's subtitle in it, else (where
// asked) the site's automatic one; SRT before WebVTT.
SubtitleChoice ChooseSubtitles(const std::vector<SubtitleOffer>& offers,
                               const QualityPreferences& preferences);

// "This page has no subtitles in en, de".
std::string MissingSubtitlesNote(const std::vector<std::string>& languages);

} // namespace tarnwick::resolve
