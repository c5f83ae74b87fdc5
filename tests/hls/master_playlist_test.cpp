#include "hls/master_playlist.h"

#include <gtest/gtest.h>
#include <ostream>

#include <optional>
#include <string>

namespace tarnwick::hls {
namespace {

const std::string kAddress = "https://cdn.example.org/show/ep1/master.m3u8?sig=1";

TEST(MasterPlaylistTest, ReadsVariantsAndRenditionsWithAbsoluteUris) {
    const Result<MasterPlaylist> playlist = ParseMasterPlaylist(
        "#EXTM3U\r\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aac\",NAME=\"English, main\",LANGUAGE=\"en\","
        "DEFAULT=YES,AUTOSELECT=YES,URI=\"audio/en.m3u8\"\r\n"
        "#EXT-X-MEDIA:TYPE=SUBTITLES,GROUP-ID=\"subs\",NAME=\"Deutsch\"\r\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=2000000,RESOLUTION=1280x720,"
        "CODECS=\"avc1.64001f,mp4a.40.2\",AUDIO=\"aac\"\r\n"
        "# a comment between the tag and its URI\r\n"
        "../ep1/720/index.m3u8\r\n"
        "#EXT-X-I-FRAME-STREAM-INF:BANDWIDTH=90000,RESOLUTION=3840x2160,URI=\"if.m3u8\"\r\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=1\r\n"
        "#EXT-X-ENDLIST\r\n"
        "lost.m3u8\r\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=500000\r\n"
        "https://other.example.net/low.m3u8\r\n",
        kAddress);
    ASSERT_TRUE(playlist);
    ASSERT_EQ(playlist.value().variants.size(), 2u);
    EXPECT_EQ(playlist.value().variants[0],
              (Variant{"https://cdn.example.org/show/ep1/720/index.m3u8", 2000000, 720,
                       "avc1.64001f,mp4a.40.2", "aac"}));
    EXPECT_EQ(playlist.value().variants[1],
              (Variant{"https://other.example.net/low.m3u8", 500000, std::nullopt, "", ""}));
    ASSERT_EQ(playlist.value().renditions.size(), 2u);
    EXPECT_EQ(playlist.value().renditions[0],
              (Rendition{MediaType::kAudio, "aac", "English, main", "en", true, true,
                         "https://cdn.example.org/show/ep1/audio/en.m3u8"}));
    EXPECT_EQ(playlist.value().renditions[1].type, MediaType::kSubtitles);
    EXPECT_EQ(playlist.value().renditions[1].uri, std::nullopt);
}

TEST(MasterPlaylistTest, TellsMasterFromMedia) {
    EXPECT_TRUE(IsMasterPlaylist("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\na.m3u8\n"));
    EXPECT_FALSE(IsMasterPlaylist("#EXTM3U\n#EXTINF:4,\na.ts\n"));
    EXPECT_FALSE(ParseMasterPlaylist("<html></html>", kAddress));
}

struct ChoiceCase {
    const char* name;
    std::string body; // after #EXTM3U
    std::string variant;
    std::optional<std::string> audio;
};

void PrintTo(const ChoiceCase& c, std::ostream* out) { *out << c.name; }

class ChooseStreamTest : public testing::TestWithParam<ChoiceCase> {};

TEST_P(ChooseStreamTest, ChoosesTheBestStreamAndItsSound) {
    const Result<MasterPlaylist> playlist =
        ParseMasterPlaylist("#EXTM3U\n" + GetParam().body, "https://h.example/m.m3u8");
    ASSERT_TRUE(playlist);
    const Result<StreamChoice> choice = ChooseStream(playlist.value());
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice.value().variant.uri, "https://h.example/" + GetParam().variant);
    const std::optional<Rendition>& audio = choice.value().separate_audio;
    EXPECT_EQ(audio ? audio->uri : std::nullopt,
              GetParam().audio ? "https://h.example/" + *GetParam().audio : GetParam().audio);
}

const std::string kTwoAudio =
    "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"x\",URI=\"x.m3u8\"\n"
    "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"y\",URI=\"y.m3u8\"";

INSTANTIATE_TEST_SUITE_P(
    Playlists, ChooseStreamTest,
    testing::Values(
        ChoiceCase{"HeightThenBandwidth",
                   "#EXT-X-STREAM-INF:BANDWIDTH=9000000,RESOLUTION=1280x720\n720.m3u8\n"
                   "#EXT-X-STREAM-INF:BANDWIDTH=4000000,RESOLUTION=1920x1080\nlow.m3u8\n"
                   "#EXT-X-STREAM-INF:BANDWIDTH=6000000,RESOLUTION=1920x1080\nhigh.m3u8\n"
                   "#EXT-X-STREAM-INF:BANDWIDTH=6000000,RESOLUTION=1920x1080\nsame.m3u8\n",
                   "high.m3u8", std::nullopt},
        ChoiceCase{"OwnSoundBeforeAHigherPicture",
                   kTwoAudio +
                       "\n#EXT-X-STREAM-INF:BANDWIDTH=9,RESOLUTION=1920x1080,AUDIO=\"a\"\n"
                       "sep.m3u8\n#EXT-X-STREAM-INF:BANDWIDTH=1,RESOLUTION=640x360\nmux.m3u8\n",
                   "mux.m3u8", std::nullopt},
        ChoiceCase{"DefaultWithoutUriIsInside",
                   kTwoAudio +
                       "\n#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"main\",DEFAULT=YES\n"
                       "#EXT-X-STREAM-INF:BANDWIDTH=2,AUDIO=\"a\"\nv.m3u8\n",
                   "v.m3u8", std::nullopt},
        ChoiceCase{"SeparateTakesTheDefault",
                   kTwoAudio +
                       "\n#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"z\",DEFAULT=YES,"
                       "URI=\"z.m3u8\"\n#EXT-X-STREAM-INF:BANDWIDTH=2,AUDIO=\"a\"\nv.m3u8\n",
                   "v.m3u8", "z.m3u8"},
        ChoiceCase{"SeparateTakesAutoselectWithoutDefault",
                   kTwoAudio +
                       "\n#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"z\",AUTOSELECT=YES,"
                       "URI=\"z.m3u8\"\n#EXT-X-STREAM-INF:BANDWIDTH=2,AUDIO=\"a\"\nv.m3u8\n",
                   "v.m3u8", "z.m3u8"},
        ChoiceCase{
            "SeparateTakesTheFirstOfItsOwnGroup",
            "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"b\",NAME=\"o\",DEFAULT=YES,URI=\"o.m3u8\"\n" +
                kTwoAudio +
                "\n#EXT-X-STREAM-INF:BANDWIDTH=2,RESOLUTION=1x1,AUDIO=\"a\"\nlow.m3u8\n"
                "#EXT-X-STREAM-INF:BANDWIDTH=1,RESOLUTION=1x2,AUDIO=\"a\"\nv.m3u8\n",
            "v.m3u8", "x.m3u8"}));

TEST(MasterPlaylistTest, ACapTakesTheTallestAtOrBelowItElseTheShortestAbove) {
    std::string body;
    for (const int height : {360, 720, 1080, 2160}) {
        body += "#EXT-X-STREAM-INF:BANDWIDTH=" + std::to_string(height * 1000) +
                ",RESOLUTION=" + std::to_string(height * 16 / 9) + "x" + std::to_string(height) +
                "\n" + std::to_string(height) + ".m3u8\n";
    }
    const MasterPlaylist playlist =
        ParseMasterPlaylist("#EXTM3U\n" + body, "https://h.example/m.m3u8").value();
    for (const auto& [cap, chosen] : std::vector<std::pair<int64_t, std::string>>{
             {0, "2160"}, {1080, "1080"}, {1440, "1080"}, {480, "360"}, {240, "360"}}) {
        EXPECT_EQ(ChooseStream(playlist, cap).value().variant.uri,
                  "https://h.example/" + chosen + ".m3u8")
            << "cap " << cap;
    }
}

// Sound alone: a sound-only variant, else the sound's own rendition, else
// the shortest picture with its sound.
TEST(MasterPlaylistTest, SoundAloneTakesAsLittlePictureAsOffered) {
    const auto chosen = [](const std::string& body) {
        const MasterPlaylist playlist =
            ParseMasterPlaylist("#EXTM3U\n" + body, "https://h.example/m.m3u8").value();
        const StreamChoice choice = ChooseSoundStream(playlist).value();
        EXPECT_FALSE(choice.IsAudioSeparate());
        return choice.variant.uri.substr(18);
    };
    const std::string muxed =
        "#EXT-X-STREAM-INF:BANDWIDTH=900,RESOLUTION=1280x720,CODECS=\"avc1.4d401f,mp4a.40.2\"\n"
        "720.m3u8\n#EXT-X-STREAM-INF:BANDWIDTH=300,RESOLUTION=640x360\n360.m3u8\n";
    EXPECT_EQ(chosen(muxed + "#EXT-X-STREAM-INF:BANDWIDTH=64,CODECS=\"mp4a.40.5\"\nlow.m3u8\n"
                             "#EXT-X-STREAM-INF:BANDWIDTH=128,CODECS=\"mp4a.40.2\"\nhi.m3u8\n"),
              "hi.m3u8");
    EXPECT_EQ(chosen(kTwoAudio + "\n#EXT-X-STREAM-INF:BANDWIDTH=9,RESOLUTION=1920x1080,"
                                 "AUDIO=\"a\"\nsep.m3u8\n"),
              "x.m3u8");
    EXPECT_EQ(chosen(muxed), "360.m3u8");
    EXPECT_FALSE(ChooseSoundStream(MasterPlaylist{}));
}

TEST(MasterPlaylistTest, NoStreamToChooseWithoutVariants) {
    const Result<StreamChoice> choice = ChooseStream(MasterPlaylist{});
    ASSERT_FALSE(choice);
    EXPECT_EQ(choice.failure().reason, Reason::kPlaylistUnreadable);
}

} // namespace
} // namespace tarnwick::hls
