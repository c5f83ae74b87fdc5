#include "shell/quality_form.h"

#include "common/text.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace tarnwick::shell {
namespace {

using resolve::kContainers;
using resolve::kSounds;
using resolve::PreferredContainer;
using resolve::QualityPreferences;
using resolve::SoundOnly;
using resolve::SubtitleOffer;

std::string LanguageCodeOf(const SubtitleOffer& offer) {
    std::string code = resolve::LanguageOf(offer.key);
    if (code.empty()) code = resolve::LanguageOf(offer.label);
    return code.empty() ? text::ToLowerAscii(offer.key) : code;
}

int Rank(const SubtitleOffer& offer) { return offer.translated ? 2 : offer.automatic ? 1 : 0; }

// One line a language and kind, the creator's first, then automatic, then
// translations; each language in the order the site gave.
std::vector<SubtitleOffer> SubtitleLines(const std::vector<SubtitleOffer>& offers) {
    std::vector<SubtitleOffer> lines;
    for (int rank = 0; rank <= 2; ++rank) {
        for (const SubtitleOffer& offer : offers) {
            if (Rank(offer) != rank) continue;
            const bool seen = std::any_of(lines.begin(), lines.end(), [&](const SubtitleOffer& l) {
                return Rank(l) == rank && LanguageCodeOf(l) == LanguageCodeOf(offer);
            });
            if (!seen) lines.push_back(offer);
        }
    }
    return lines;
}

std::string LineLabel(const SubtitleOffer& line) {
    const std::string code = LanguageCodeOf(line);
    std::string label =
        line.label.empty() || line.label == code ? code : line.label + " (" + code + ")";
    if (line.translated) return label + ", machine-translated";
    return line.automatic ? label + ", automatic" : label;
}

bool IsChecked(const SubtitleOffer& line, const QualityPreferences& current) {
    const std::vector<std::string>& wanted = current.subtitle_languages;
    if (std::find(wanted.begin(), wanted.end(), LanguageCodeOf(line)) == wanted.end()) return false;
    if (line.translated) return current.translated_subtitles;
    return !line.automatic || current.automatic_subtitles;
}

platform::ChoiceList PictureList(const std::optional<resolve::QualityOffers>& offers,
                                 int64_t max_height, std::vector<int64_t>& heights) {
    platform::ChoiceList list{"Picture", {"Best"}, 0};
    heights = {0};
    if (!offers) {
        for (const int64_t height : resolve::kQualityHeights) {
            if (height == 0) continue;
            list.options.push_back(std::to_string(height) + "p");
            heights.push_back(height);
        }
    } else {
        if (!offers->heights.empty())
            list.options[0] = "Best (" + std::to_string(offers->heights.front().height) + "p)";
        for (const resolve::HeightOffer& offer : offers->heights) {
            std::string option = std::to_string(offer.height) + "p";
            if (offer.size) option += " — " + SizeText(*offer.size);
            list.options.push_back(option);
            heights.push_back(offer.height);
        }
    }
    // The option the cap in force comes to.
    std::vector<int64_t> offered(heights.begin() + 1, heights.end());
    const std::optional<int64_t> capped = resolve::CappedHeight(offered, max_height);
    for (size_t i = 1; capped && i < heights.size(); ++i) {
        if (heights[i] <= *capped) {
            list.chosen = static_cast<int>(i);
            break;
        }
    }
    return list;
}

} // namespace

std::string SizeText(int64_t bytes) {
    char text[32];
    if (bytes >= 1024LL * 1024 * 1024) {
        std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / (1 << 30));
    } else if (bytes >= 1024 * 1024) {
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1 << 20));
    } else {
        std::snprintf(text, sizeof text, "%lld KB", static_cast<long long>((bytes + 1023) / 1024));
    }
    return text;
}

QualityFormMade MakeQualityForm(const std::optional<resolve::QualityOffers>& offers,
                                const QualityPreferences& current, const std::string& heading,
                                const std::string& note) {
    QualityFormMade made;
    platform::QualityForm& form = made.form;
    form.heading = heading;
    form.note = note;
    form.picture = PictureList(offers, current.max_height, made.heights);
    form.format = {
        "Format",
        {"MP4 preferred", "MKV", "Any, the best"},
        static_cast<int>(std::find(kContainers.begin(), kContainers.end(), current.container) -
                         kContainers.begin())};
    form.sound = {"Keep",
                  {"The video", "Sound only, M4A", "Sound only, MP3", "Sound only, Opus"},
                  static_cast<int>(std::find(kSounds.begin(), kSounds.end(), current.sound_only) -
                                   kSounds.begin())};
    made.lines = SubtitleLines(offers ? offers->subtitles : std::vector<SubtitleOffer>{});
    // The languages asked for that the page does not offer stay, to be let go.
    for (const std::string& language : current.subtitle_languages) {
        const bool offered = std::any_of(made.lines.begin(), made.lines.end(), [&](const auto& l) {
            return LanguageCodeOf(l) == language;
        });
        if (!offered)
            made.lines.push_back(
                {language, offers ? "not on this page" : "", "", "", false, false});
    }
    for (const SubtitleOffer& line : made.lines) {
        const bool missing = line.url.empty();
        form.subtitles.push_back(
            {missing && !line.label.empty() ? line.key + " (" + line.label + ")" : LineLabel(line),
             line.translated, missing || IsChecked(line, current)});
    }
    form.inside = current.subtitles_inside;
    return made;
}

QualityPreferences ChoiceOfPicks(const QualityFormMade& made, const platform::QualityPicks& picks) {
    QualityPreferences choice;
    const auto at = [](const auto& list, int index) {
        return list[std::clamp<size_t>(static_cast<size_t>(std::max(index, 0)), 0,
                                       list.size() - 1)];
    };
    choice.max_height = at(made.heights, picks.picture);
    choice.container = at(kContainers, picks.format);
    choice.sound_only = at(kSounds, picks.sound);
    std::string languages;
    for (const int index : picks.subtitles) {
        if (index < 0 || static_cast<size_t>(index) >= made.lines.size()) continue;
        const SubtitleOffer& line = made.lines[static_cast<size_t>(index)];
        languages +=
            (languages.empty() ? "" : ",") + (line.url.empty() ? line.key : LanguageCodeOf(line));
        choice.automatic_subtitles |= line.automatic && !line.translated;
        choice.translated_subtitles |= line.translated;
    }
    // Only codes: a site's key of another kind never names a file.
    choice.subtitle_languages = resolve::LanguagesOfText(languages);
    choice.subtitles_inside = picks.inside;
    return choice;
}

} // namespace tarnwick::shell
