#include "resolve/subtitle_choice.h"

#include <gtest/gtest.h>

namespace tarnwick::resolve {
namespace {

SubtitleOffer Creator(std::string key, std::string ext = "vtt", std::string label = {}) {
    return {key, label, "https://s.test/" + key + "." + ext, ext, false, false};
}
SubtitleOffer Automatic(std::string key, bool translated = false) {
    return {key, "", "https://s.test/auto-" + key, "vtt", true, translated};
}

// Each wanted language as the url taken for it, or "-" when missing.
std::string Chosen(const std::vector<SubtitleOffer>& offers, const std::string& languages,
                   bool automatic = false) {
    QualityPreferences preferences;
    preferences.subtitle_languages = LanguagesOfText(languages);
    preferences.automatic_subtitles = automatic;
    const SubtitleChoice choice = ChooseSubtitles(offers, preferences);
    std::string described;
    size_t chosen = 0;
    for (const std::string& language : preferences.subtitle_languages) {
        const bool found =
            chosen < choice.chosen.size() && choice.chosen[chosen].language == language;
        described += (described.empty() ? "" : " ") +
                     (found ? choice.chosen[chosen++].url.substr(15) : std::string("-"));
    }
    return described;
}

TEST(ChooseSubtitlesTest, CreatorFirstAutomaticOnlyWhenAskedTranslationsNever) {
    const std::vector<SubtitleOffer> offers = {Automatic("en"), Creator("de"),
                                               Automatic("fr", true), Automatic("de")};
    EXPECT_EQ(Chosen(offers, "de, en, fr"), "de.vtt - -");
    EXPECT_EQ(Chosen(offers, "de, en, fr", true), "de.vtt auto-en -");
    EXPECT_EQ(Chosen({}, "en"), "-");
    EXPECT_EQ(Chosen(offers, ""), "");
}

TEST(ChooseSubtitlesTest, RegionsLabelsAndForms) {
    EXPECT_EQ(Chosen({Creator("en-US")}, "en"), "en-US.vtt") << "a language takes its regions";
    EXPECT_EQ(Chosen({Creator("pt-PT")}, "pt-br"), "-") << "a region only itself";
    EXPECT_EQ(Chosen({Creator("English")}, "en"), "English.vtt") << "a key that is a name";
    EXPECT_EQ(Chosen({Creator("x1", "vtt", "Deutsch (CC)")}, "de"), "x1.vtt") << "a label";
    EXPECT_EQ(Chosen({Automatic("en-orig")}, "en", true), "auto-en-orig");
    EXPECT_EQ(Chosen({Creator("en", "vtt"), Creator("en", "srt")}, "en"), "en.srt");
}

TEST(ChooseSubtitlesTest, TheNoteNamesTheMissingLanguages) {
    const SubtitleChoice choice = ChooseSubtitles({}, {0, {}, {}, {"en", "de"}});
    EXPECT_EQ(MissingSubtitlesNote(choice.missing), "This page has no subtitles in en, de");
}

TEST(ChoiceRecordTest, ComesBackAsItWasAndOnlyFromItsOwnText) {
    const QualityPreferences choice{
        720, PreferredContainer::kMkv, SoundOnly::kOpus, {"en", "pt-br"}, true, true, true};
    EXPECT_EQ(ParseChoiceRecord(ChoiceRecord(choice)), choice);
    EXPECT_EQ(ParseChoiceRecord(ChoiceRecord({})), QualityPreferences{});
    EXPECT_EQ(ParseChoiceRecord("quality=540").value().max_height, 540) << "any height offered";
    EXPECT_EQ(ParseChoiceRecord("quality=x9 sound=wav subtitles=??"), QualityPreferences{})
        << "unknown words read as defaults";
    EXPECT_EQ(ParseChoiceRecord(""), std::nullopt);
    EXPECT_EQ(ParseChoiceRecord("{\"video\":1}"), std::nullopt);
}

} // namespace
} // namespace tarnwick::resolve
