// What the user prefers of a video that comes in several qualities: a cap
// on the picture's height, the container it is kept in, its sound alone,
// and the subtitles that go with it. The same choice is the settings'
// default and an item's own, kept with it in the list as a short text.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::resolve {

enum class PreferredContainer : uint8_t {
    kMp4,  // MP4 where the page offers it, and pairs joined into MP4 where they fit
    kMkv,  // pairs joined into MKV
    kBest, // the best picture, whatever its container
};

// What is kept of a video when only its sound is wanted.
enum class SoundOnly : uint8_t {
    kOff,  // the video, picture and sound
    kM4a,  // AAC in MP4, copied where the source is AAC
    kMp3,  // made by ffmpeg
    kOpus, // Opus in Ogg, copied where the source is Opus
};

struct QualityPreferences {
    // The tallest picture wanted, in lines; 0 takes the tallest there is.
    int64_t max_height = 0;
    PreferredContainer container = PreferredContainer::kMp4;
    SoundOnly sound_only = SoundOnly::kOff;
    // The subtitles wanted, as language codes in the order they are looked
    // for ("en", "pt-br"); none for no subtitles.
    std::vector<std::string> subtitle_languages = {};
    // Whether a site's automatic subtitles (not its machine translations)
    // stand in where its creator gave none.
    bool automatic_subtitles = false;
    // Whether the site's machine translations of its automatic subtitles
    // count too: only where the user chose one for the item.
    bool translated_subtitles = false;
    // Whether subtitles go inside the video (with ffmpeg) instead of beside it.
    bool subtitles_inside = false;

    bool operator==(const QualityPreferences&) const = default;
};

// Every container and sound choice, in the order they are offered.
inline constexpr std::array kContainers = {PreferredContainer::kMp4, PreferredContainer::kMkv,
                                           PreferredContainer::kBest};
inline constexpr std::array kSounds = {SoundOnly::kOff, SoundOnly::kM4a, SoundOnly::kMp3,
                                       SoundOnly::kOpus};

// The caps the user can choose among, tallest first; 0 is none.
inline constexpr int64_t kQualityHeights[] = {0, 2160, 1440, 1080, 720, 480, 360};

// The tallest height a cap lets through among `heights`: the cap itself
// where some height is at or below it, else the shortest height above it.
// None without a cap or without heights: everything passes.
std::optional<int64_t> CappedHeight(const std::vector<int64_t>& heights, int64_t max_height);

// The words each choice is stored as, and back. A word that is none of them
// reads as the default: the best picture, MP4, the whole video.
std::string HeightWord(int64_t max_height);
int64_t HeightOfWord(const std::string& word);
std::string ContainerWord(PreferredContainer container);
PreferredContainer ContainerOfWord(const std::string& word);
std::string SoundWord(SoundOnly sound);
SoundOnly SoundOfWord(const std::string& word);
// The file extension a sound-only choice is kept in: "m4a", "mp3", "opus";
// and the form's name as the user knows it: "M4A", "MP3", "Opus".
std::string SoundExtension(SoundOnly sound);
std::string SoundName(SoundOnly sound);

// Languages separated by commas ("en, de"), each a code of two or three
// letters with optional subtags ("pt-BR"): lowercased, without repeats, at
// most 10. Anything else in the list is left out.
std::vector<std::string> LanguagesOfText(const std::string& text);
std::string LanguagesText(const std::vector<std::string>& languages);

// The choice as one line of `name=value` words separated by spaces, and
// back; none for a text that is no such line.
std::string ChoiceRecord(const QualityPreferences& choice);
std::optional<QualityPreferences> ParseChoiceRecord(const std::string& record);

} // namespace tarnwick::resolve
