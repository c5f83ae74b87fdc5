#include "resolve/ytdlp_answer.h"

#include "common/text.h"
#include "resolve/derived_name.h"
#include "resolve/file_naming.h"

#include <gtest/gtest.h>
#include <ostream>

#include <string>

namespace tarnwick::resolve {
namespace {

using std::chrono::days;
using std::chrono::sys_days;
using namespace std::chrono_literals;

// One entry of "formats"; its url is "https://cdn.test/<id>", a codec "" is left out.
std::string Format(const std::string& id, const std::string& ext, const std::string& vcodec,
                   const std::string& acodec, int height, const std::string& protocol = "https") {
    std::string format = R"({"format_id":")" + id + R"(","url":"https://cdn.test/)" + id +
                         R"(","ext":")" + ext + R"(","protocol":")" + protocol + R"(","height":)" +
                         std::to_string(height) + R"(,"tbr":)" + std::to_string(height * 2);
    if (!vcodec.empty()) format += R"(,"vcodec":")" + vcodec + '"';
    if (!acodec.empty()) format += R"(,"acodec":")" + acodec + '"';
    return format + "}";
}

std::string Answer(const std::string& formats) {
    return R"({"id":"x1","title":"Clip","ext":"mp4","formats":[)" + formats + "]}";
}

// "video[+audio] name", HLS parts marked "hls:"; a failure as its reason's number.
std::string Described(const std::string& json, bool can_join) {
    const Result<YtDlpAnswer> answer = ReadYtDlpAnswer(json);
    if (!answer) return "unreadable";
    const Result<YtDlpChoice> choice = ChooseDownload(answer.value(), can_join);
    if (!choice) return "failed " + std::to_string(static_cast<int>(choice.failure().reason));
    const auto part = [](const DownloadPart& p) {
        return (p.kind == PartKind::kHls ? "hls:" : "") + p.url.substr(p.url.rfind('/') + 1);
    };
    const YtDlpChoice& c = choice.value();
    return part(c.video) + (c.audio ? "+" + part(*c.audio) : "") + " " + c.file_name;
}

struct ChoiceCase {
    const char* name;
    std::string json;
    bool can_join;
    std::string chosen;
};

void PrintTo(const ChoiceCase& c, std::ostream* out) { *out << c.name; }

class ChooseDownloadTest : public testing::TestWithParam<ChoiceCase> {};

TEST_P(ChooseDownloadTest, ChoosesTheBestUsableDownload) {
    EXPECT_EQ(Described(GetParam().json, GetParam().can_join), GetParam().chosen);
}

const std::string kSmallMp4 = Format("18", "mp4", "avc1.42001E", "mp4a.40.2", 360);
const std::string kTallMp4Video = Format("137", "mp4", "avc1.640028", "none", 1080);
const std::string kTallVp9Video = Format("248", "webm", "vp9", "none", 1080);
const std::string kM4aAudio = Format("140", "m4a", "none", "mp4a.40.2", 0);
const std::string kOpusAudio = Format("251", "webm", "none", "opus", 0);
const std::string kSoundSeparate = std::to_string(static_cast<int>(Reason::kSoundSeparate));
const std::string kNoLink = std::to_string(static_cast<int>(Reason::kNoLinkInPage));

INSTANTIATE_TEST_SUITE_P(
    Answers, ChooseDownloadTest,
    testing::Values(
        ChoiceCase{"OwnUrlWithoutFormats",
                   R"({"title":"A/B: c","url":"HTTPS://h.test/v","ext":"webm","protocol":"https"})",
                   false, "v AB c.webm"},
        ChoiceCase{"Mp4BeforeTallerWebm",
                   Answer(Format("43", "webm", "vp8", "vorbis", 720) + "," + kSmallMp4), false,
                   "18 Clip.mp4"},
        ChoiceCase{"NamedCodecsBeforeUnknown",
                   Answer(Format("u", "mp4", "", "", 720) + "," + kSmallMp4), false, "18 Clip.mp4"},
        ChoiceCase{"UnknownCodecsTakenAlone", Answer(Format("u", "mp4", "", "", 720)), false,
                   "u Clip.mp4"},
        ChoiceCase{"DirectBeforeHlsAtEqualHeight",
                   Answer(Format("h", "mp4", "avc1", "mp4a", 720, "m3u8_native") + "," +
                          Format("d", "mp4", "avc1", "mp4a", 720)),
                   false, "d Clip.mp4"},
        ChoiceCase{"TallerHlsBeforeDirect",
                   Answer(kSmallMp4 + "," + Format("h", "mp4", "avc1", "mp4a", 720, "m3u8")), false,
                   "hls:h Clip.mp4"},
        ChoiceCase{
            "OtherProtocolsAndSchemesSkipped",
            Answer(kSmallMp4 + "," +
                   Format("dash", "mp4", "avc1", "mp4a", 720, "http_dash_segments") + "," +
                   R"({"url":"rtmp://h.test/r","protocol":"http","ext":"mp4","height":1080})"),
            false, "18 Clip.mp4"},
        ChoiceCase{"TallerPairJoinedIntoMp4",
                   Answer(kSmallMp4 + "," + kTallMp4Video + "," + kOpusAudio + "," + kM4aAudio),
                   true, "137+140 Clip.mp4"},
        ChoiceCase{"Vp9PairJoinedIntoMkv",
                   Answer(kSmallMp4 + "," + kTallVp9Video + "," + kM4aAudio + "," + kOpusAudio),
                   true, "248+251 Clip.mkv"},
        ChoiceCase{"CombinedWithoutJoining",
                   Answer(kSmallMp4 + "," + kTallMp4Video + "," + kM4aAudio), false, "18 Clip.mp4"},
        ChoiceCase{"OnlySeparateWithoutJoining", Answer(kTallMp4Video + "," + kM4aAudio), false,
                   "failed " + kSoundSeparate},
        ChoiceCase{"SilentVideoAlone", Answer(kTallVp9Video), false, "248 Clip.webm"},
        ChoiceCase{"NothingUsable", Answer(Format("sb", "mhtml", "none", "none", 90)), true,
                   "failed " + kNoLink},
        ChoiceCase{"Playlist", R"({"_type":"playlist","entries":[]})", true, "failed " + kNoLink}));

// The user's quality preferences, over the same answers.
struct PreferenceCase {
    const char* name;
    QualityPreferences preferences;
    std::string chosen;
};

void PrintTo(const PreferenceCase& c, std::ostream* out) { *out << c.name; }

class PreferencesTest : public testing::TestWithParam<PreferenceCase> {};

TEST_P(PreferencesTest, TheCapAndTheContainerComeFirst) {
    const std::string formats =
        Answer(Format("360", "mp4", "avc1", "mp4a", 360) + "," +
               Format("720w", "webm", "vp9", "opus", 720) + "," +
               Format("1080v", "mp4", "avc1.640028", "none", 1080) + "," +
               Format("2160v", "webm", "vp9", "none", 2160) + "," + kM4aAudio + "," + kOpusAudio);
    const Result<YtDlpChoice> choice =
        ChooseDownload(ReadYtDlpAnswer(formats).value(), true, GetParam().preferences);
    ASSERT_TRUE(choice);
    const YtDlpChoice& c = choice.value();
    const auto id = [](const DownloadPart& p) { return p.url.substr(p.url.rfind('/') + 1); };
    EXPECT_EQ(id(c.video) + (c.audio ? "+" + id(*c.audio) : "") + " " + c.file_name,
              GetParam().chosen);
}

using Container = PreferredContainer;
INSTANTIATE_TEST_SUITE_P(
    Caps, PreferencesTest,
    testing::Values(
        PreferenceCase{"Best", {0, Container::kMp4}, "2160v+251 Clip.mkv"},
        PreferenceCase{"CapAtAHeightOffered", {1080, Container::kMp4}, "1080v+140 Clip.mp4"},
        PreferenceCase{
            "CapBetweenHeightsTakesTheTallestBelow", {1440, Container::kMp4}, "1080v+140 Clip.mp4"},
        PreferenceCase{"MkvPreferredJoinsIntoMkv", {1080, Container::kMkv}, "1080v+140 Clip.mkv"},
        // Combined formats rank by container unless any will do.
        PreferenceCase{"Mp4BeforeATallerWebm", {720, Container::kMp4}, "360 Clip.mp4"},
        PreferenceCase{"AnyContainerTakesTheTaller", {720, Container::kBest}, "720w Clip.webm"},
        PreferenceCase{
            "NothingAtOrBelowTakesTheShortestAbove", {240, Container::kMp4}, "360 Clip.mp4"}),
    [](const testing::TestParamInfo<PreferenceCase>& info) { return info.param.name; });

// Sound alone: a source whose sound fits the form is copied, else the best
// rate is encoded; sound only in videos is taken out of the smallest.
struct SoundCase {
    const char* name;
    SoundOnly sound;
    bool can_convert;
    std::string formats;
    std::string chosen;
};

void PrintTo(const SoundCase& c, std::ostream* out) { *out << c.name; }

class SoundOnlyTest : public testing::TestWithParam<SoundCase> {};

TEST_P(SoundOnlyTest, TakesTheSoundThatNeedsLeastDone) {
    const Result<YtDlpAnswer> answer =
        ReadYtDlpAnswer(R"({"title":"Clip","uploader":"Ann","duration":61.5,"formats":[)" +
                        GetParam().formats + "]}");
    const Result<YtDlpChoice> choice =
        ChooseDownload(answer.value(), GetParam().can_convert, {0, {}, GetParam().sound});
    if (!choice) {
        EXPECT_EQ("failed: " + choice.failure().detail, GetParam().chosen);
        return;
    }
    const YtDlpChoice& c = choice.value();
    ASSERT_TRUE(c.sound);
    const SoundOutput& s = *c.sound;
    EXPECT_EQ(c.video.format_id + " " + c.file_name + (s.copy ? " copied" : " encoded") +
                  (s.from_video ? " from video" : "") + " " + std::to_string(s.source_kbps),
              GetParam().chosen);
    EXPECT_EQ(s.title + "/" + s.artist + "/" + std::to_string(s.playing_ms.value_or(0)),
              "Clip/Ann/61500");
}

const std::string kAac128 =
    R"({"format_id":"140","url":"https://cdn.test/140","ext":"m4a","vcodec":"none","acodec":"mp4a.40.2","abr":128})";
const std::string kOpus160 =
    R"({"format_id":"251","url":"https://cdn.test/251","ext":"webm","vcodec":"none","acodec":"opus","abr":160})";

INSTANTIATE_TEST_SUITE_P(
    Sounds, SoundOnlyTest,
    testing::Values(SoundCase{"M4aCopiesAac", SoundOnly::kM4a, true, kOpus160 + "," + kAac128,
                              "140 Clip.m4a copied 128"},
                    SoundCase{"OpusCopiesOpus", SoundOnly::kOpus, true, kAac128 + "," + kOpus160,
                              "251 Clip.opus copied 160"},
                    SoundCase{"Mp3EncodesTheBestRate", SoundOnly::kMp3, true,
                              kOpus160 + "," + kAac128, "251 Clip.mp3 encoded 160"},
                    SoundCase{"OnlyInVideosTakesTheSmallest", SoundOnly::kM4a, true,
                              Format("720", "mp4", "avc1", "mp4a", 720) + "," +
                                  Format("360", "mp4", "avc1", "mp4a", 360),
                              "360 Clip.m4a copied from video 0"},
                    SoundCase{"AacFileNeedsNoFfmpeg", SoundOnly::kM4a, false, kAac128,
                              "140 Clip.m4a copied 128"},
                    SoundCase{"Mp3NeedsFfmpeg", SoundOnly::kMp3, false, kAac128,
                              "failed: Sound only as MP3"},
                    SoundCase{"SoundOfAVideoNeedsFfmpeg", SoundOnly::kM4a, false, kSmallMp4,
                              "failed: Sound only as M4A"}),
    [](const testing::TestParamInfo<SoundCase>& info) { return info.param.name; });

// A stream's WebVTT comes in pieces; no other form does.
TEST(ReadYtDlpAnswerTest, SubtitlesInSrtOrWebVttOverHttpOnly) {
    const Result<YtDlpAnswer> answer = ReadYtDlpAnswer(R"({"title":"t","subtitles":{
        "en":[{"ext":"json3","url":"https://s.test/en.json"},{"ext":"vtt","url":"https://s.test/en.vtt","name":"English"}],
        "de":[{"ext":"srt","url":"file:///etc/passwd"}],
        "es":[{"ext":"srt","url":"https://s.test/es.m3u8","protocol":"m3u8_native"},
              {"ext":"vtt","url":"https://s.test/es.m3u8","protocol":"m3u8_native"}]},
      "automatic_captions":{"fr":[{"ext":"vtt","url":"https://s.test/tt?v=1&tlang=fr"}],
        "en-orig":[{"ext":"vtt","url":"https://s.test/tt?v=1"}]}})");
    EXPECT_EQ(answer.value().subtitles,
              (std::vector<SubtitleOffer>{
                  {"en", "English", "https://s.test/en.vtt", "vtt", false, false},
                  {"es", "", "https://s.test/es.m3u8", "vtt", false, false, true},
                  {"en-orig", "", "https://s.test/tt?v=1", "vtt", true, false},
                  {"fr", "", "https://s.test/tt?v=1&tlang=fr", "vtt", true, true}}));
}

TEST(ReadYtDlpAnswerTest, ReadsFieldsOfTheRightTypeOnly) {
    EXPECT_FALSE(ReadYtDlpAnswer(R"({"title":"cut)"));
    EXPECT_FALSE(ReadYtDlpAnswer(R"(["not an object"])"));
    const Result<YtDlpAnswer> answer = ReadYtDlpAnswer(R"({
        "title": 7, "http_headers": {"User-Agent": "UA", "Accept": 1},
        "formats": [3, {"url": "https://h.test/a", "protocol": "https", "height": "720",
                        "tbr": "high", "filesize_approx": 5000, "acodec": null}]})");
    ASSERT_TRUE(answer);
    const YtDlpAnswer& read = answer.value();
    EXPECT_EQ(read.title, "");
    ASSERT_EQ(read.formats.size(), 1u);
    EXPECT_FALSE(read.formats[0].height || read.formats[0].tbr || read.formats[0].acodec);
    const Result<YtDlpChoice> choice = ChooseDownload(read, false);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice.value().video.headers, (HeaderMap{{"User-Agent", "UA"}}));
    EXPECT_EQ(choice.value().video.size, 5000);
    EXPECT_EQ(choice.value().file_name, kEnterFileName);
}

TEST(ReadYtDlpAnswerTest, ATitleYtDlpMadeUpIsNone) {
    const auto title = [](const char* json) { return ReadYtDlpAnswer(json).value().title; };
    EXPECT_EQ(title(R"({"extractor":"generic","id":"jw","title":"generic video #jw"})"), "");
    EXPECT_EQ(title(R"({"extractor":"a:b","id":"7","title":"a-b video #7"})"), "");
    EXPECT_EQ(title(R"({"extractor":"generic","id":"jw","title":"generic video #jw2"})"),
              "generic video #jw2");
}

TEST(ReadYtDlpAnswerTest, ALiveBroadcastIsNeverTaken) {
    const Result<YtDlpAnswer> answer = ReadYtDlpAnswer(
        R"({"is_live": true, "url": "https://h.test/live.m3u8", "protocol": "m3u8_native"})");
    ASSERT_TRUE(answer);
    const Result<YtDlpChoice> choice = ChooseDownload(answer.value(), true);
    ASSERT_FALSE(choice);
    EXPECT_EQ(choice.failure().reason, Reason::kLiveStream);
}

TEST(ReadYtDlpAnswerTest, PlaylistEntriesAreHttpAddressesUpToTheCap) {
    std::string entries = R"({"webpage_url":"https://s.test/w1","url":"id1"},{"url":"id2"},null,)";
    for (int i = 0; i < 1005; ++i)
        entries += R"({"url":"http://s.test/)" + std::to_string(i) + "\"},";
    entries.pop_back();
    const Result<YtDlpAnswer> answer =
        ReadYtDlpAnswer(R"({"_type":"playlist","title":"List","entries":[)" + entries + "]}");
    ASSERT_TRUE(answer);
    const std::vector<std::string>& read = answer.value().entries;
    ASSERT_EQ(read.size(), kMaxPlaylistEntries);
    EXPECT_EQ(read[0], "https://s.test/w1");
    EXPECT_EQ(read[1], "http://s.test/0");
}

TEST(ReadYtDlpAnswerTest, EntriesThatNameThePlaylistsOwnPageAreTakenByTheirVideo) {
    const Result<YtDlpAnswer> answer = ReadYtDlpAnswer(
        R"({"_type":"playlist","webpage_url":"http://s.test/page","entries":[)"
        R"({"webpage_url":"http://s.test/page","url":"http://s.test/media/one"},)"
        R"({"webpage_url":"http://s.test/page","url":"http://s.test/media/two"}]})");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer.value().entries,
              (std::vector<std::string>{"http://s.test/media/one", "http://s.test/media/two"}));
}

TEST(YtDlpFileNameTest, LongTitleIsCutOnACharacterBoundaryKeepingTheExtension) {
    std::string title;
    for (int i = 0; i < 60; ++i) title += "é";
    const Result<YtDlpChoice> choice = ChooseDownload(
        ReadYtDlpAnswer(R"({"title":"x)" + title + R"(","formats":[)" + kSmallMp4 + "]}").value(),
        false);
    const std::string& name = choice.value().file_name;
    EXPECT_LE(name.size(), kMaxFileName);
    EXPECT_TRUE(name.ends_with(".mp4") && text::IsUtf8(name)) << name;
}

TEST(YtDlpTextsTest, ErrorTextIsTheLastErrorLine) {
    EXPECT_EQ(
        YtDlpErrorText("WARNING: w\nERROR: first\r\nERROR:  [site] 42: Video unavailable \r\n"),
        "[site] 42: Video unavailable");
    EXPECT_EQ(YtDlpErrorText("WARNING: w\n  ERROR: indented\n"), "");
    std::string long_error = "ERROR: ";
    for (int i = 0; i < 150; ++i) long_error += "ü";
    for (int i = 0; i < 150; ++i) long_error += "x";
    EXPECT_EQ(YtDlpErrorText(long_error).size(), 150u * 2 + 50);
}

TEST(YtDlpTextsTest, VersionDateAndAge) {
    const sys_days march4{2023y / 3 / 4};
    EXPECT_EQ(YtDlpVersionDate("2023.03.04\n"), march4);
    EXPECT_EQ(YtDlpVersionDate("2024.12.13.232011"), sys_days{2024y / 12 / 13});
    for (const char* wrong :
         {"", "2023.02.30", "23.03.04", "2023.03", "2023.03.04.x", "v2023.03.04"}) {
        EXPECT_FALSE(YtDlpVersionDate(wrong)) << wrong;
    }
    EXPECT_FALSE(IsOld(march4, march4 + days{90}));
    EXPECT_TRUE(IsOld(march4, march4 + days{91}));
}

TEST(YtDlpTextsTest, HeaderLinesDropLineBreaks) {
    const HeaderMap headers = {{"Referer", "https://p.test/"},
                               {"X-Bad", "a\r\nInjected: 1"},
                               {"Bad\nName", "v"},
                               {"", "v"}};
    EXPECT_EQ(HeaderLines(headers), std::vector<std::string>{"Referer: https://p.test/"});
}

} // namespace
} // namespace tarnwick::resolve
