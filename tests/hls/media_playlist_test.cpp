#include "hls/media_playlist.h"

#include <gtest/gtest.h>
#include <ostream>

#include <string>

namespace tarnwick::hls {
namespace {

const std::string kAddress = "https://cdn.example.org/v/720/index.m3u8";
const std::string kBase = "https://cdn.example.org/v/720/";

TEST(MediaPlaylistTest, ReadsSegmentsWithWhatIsInForce) {
    const Result<MediaPlaylist> parsed = ParseMediaPlaylist(
        "\xEF\xBB\xBF#EXTM3U\r\n# packaged "
        "2024\r\n#EXT-X-TARGETDURATION:6\r\n#EXT-X-PLAYLIST-TYPE:VOD\r\n"
        "#EXT-X-MEDIA-SEQUENCE:100\r\n"
        "#EXT-X-KEY:METHOD=AES-128,URI=\"../keys/k1\",IV=0x000102030405060708090A0B0C0D0E0F\r\n"
        "#EXT-X-MAP:URI=\"main.mp4\",BYTERANGE=\"720@0\"\r\n"
        "#EXTINF:6.006,\r\n#EXT-X-BYTERANGE:1000@720\r\nmain.mp4\r\n"
        "#EXTINF:6,Second, with comma\r\n#EXT-X-BYTERANGE:500\r\nmain.mp4\r\n"
        "#EXT-X-KEY:METHOD=AES-128,URI=\"https://keys.example.net/k2\"\r\n"
        "#EXT-X-DISCONTINUITY\r\n#EXTINF:2.5,\r\n#EXT-X-BYTERANGE:300\r\n/other.mp4\r\n"
        "#EXT-X-KEY:METHOD=NONE\r\n#EXTINF:1,\r\n#EXT-X-BYTERANGE:200\r\nmain.mp4\r\n"
        "#EXT-X-ENDLIST\r\n",
        kAddress);
    ASSERT_TRUE(parsed);
    const MediaPlaylist& playlist = parsed.value();
    EXPECT_TRUE(playlist.ends);
    EXPECT_EQ(playlist.type, PlaylistType::kVod);
    EXPECT_EQ(playlist.target_duration, 6u);
    EXPECT_EQ(playlist.keys.size(), 3u);
    EXPECT_EQ(FormatOf(playlist), SegmentFormat::kFmp4);

    const SegmentKey first_key{KeyMethod::kAes128, "https://cdn.example.org/v/keys/k1",
                               Iv{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}};
    const SegmentKey second_key{KeyMethod::kAes128, "https://keys.example.net/k2"};
    const SegmentMap map{kBase + "main.mp4", ByteRange{720, 0}, first_key};
    ASSERT_EQ(playlist.segments.size(), 4u);
    EXPECT_EQ(playlist.segments[0],
              (Segment{kBase + "main.mp4", 6.006, 100, first_key, map, ByteRange{1000, 720}}));
    EXPECT_EQ(playlist.segments[1],
              (Segment{kBase + "main.mp4", 6, 101, first_key, map, ByteRange{500, 1720}}));
    EXPECT_EQ(playlist.segments[2], (Segment{"https://cdn.example.org/other.mp4", 2.5, 102,
                                             second_key, map, ByteRange{300, 0}, true}));
    EXPECT_EQ(playlist.segments[3],
              (Segment{kBase + "main.mp4", 1, 103, SegmentKey{}, map, ByteRange{200, 2220}}));
    EXPECT_TRUE(CheckDownloadable(playlist));
}

TEST(MediaPlaylistTest, IvIsTheKeysElseTheSequenceNumber) {
    Segment segment;
    segment.sequence = 0x0102030405060708;
    EXPECT_EQ(SegmentIv(segment), (Iv{0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}));
    segment.key.iv = Iv{9};
    EXPECT_EQ(SegmentIv(segment), Iv{9});
}

struct PlaylistCase {
    const char* name;
    std::string body; // after #EXTM3U, before #EXT-X-ENDLIST
    std::optional<Reason> parse_failure;
    std::optional<Reason> check_failure = std::nullopt;
    bool ends = true;
};

void PrintTo(const PlaylistCase& c, std::ostream* out) { *out << c.name; }

class MediaCheckTest : public testing::TestWithParam<PlaylistCase> {};

TEST_P(MediaCheckTest, RefusesWhatCannotBeDownloaded) {
    const PlaylistCase& c = GetParam();
    const Result<MediaPlaylist> playlist =
        ParseMediaPlaylist("#EXTM3U\n" + c.body + (c.ends ? "\n#EXT-X-ENDLIST\n" : "\n"), kAddress);
    if (c.parse_failure) {
        ASSERT_FALSE(playlist);
        EXPECT_EQ(playlist.failure().reason, *c.parse_failure);
        EXPECT_FALSE(playlist.failure().detail.empty());
        return;
    }
    ASSERT_TRUE(playlist);
    const Status status = CheckDownloadable(playlist.value());
    EXPECT_EQ(status ? std::nullopt : std::optional(status.failure().reason), c.check_failure);
}

const std::string kSegment = "#EXTINF:4,\na.ts";
constexpr Reason kUnreadable = Reason::kPlaylistUnreadable;

INSTANTIATE_TEST_SUITE_P(
    Playlists, MediaCheckTest,
    testing::Values(
        PlaylistCase{"PlainVod", kSegment, std::nullopt},
        PlaylistCase{"NoEndList", kSegment, std::nullopt, Reason::kLiveStream, false},
        PlaylistCase{"EventType", "#EXT-X-PLAYLIST-TYPE:EVENT\n" + kSegment, std::nullopt,
                     Reason::kLiveStream},
        PlaylistCase{"SampleAes", "#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"k\"\n" + kSegment,
                     std::nullopt, Reason::kProtectedVideo},
        PlaylistCase{
            "OtherKeyFormat",
            "#EXT-X-KEY:METHOD=AES-128,URI=\"k\",KEYFORMAT=\"com.example.drm\"\n" + kSegment,
            std::nullopt, Reason::kProtectedVideo},
        PlaylistCase{"SkdKey", "#EXT-X-KEY:METHOD=AES-128,URI=\"skd://asset\"\n" + kSegment,
                     std::nullopt, Reason::kProtectedVideo},
        PlaylistCase{"NoSegments", "#EXT-X-TARGETDURATION:4", std::nullopt, kUnreadable},
        PlaylistCase{"UnknownMethod", "#EXT-X-KEY:METHOD=ROT13,URI=\"k\"\n" + kSegment,
                     std::nullopt, kUnreadable},
        PlaylistCase{"DataKey", "#EXT-X-KEY:METHOD=AES-128,URI=\"data:;base64,AAAA\"\n" + kSegment,
                     std::nullopt, kUnreadable},
        PlaylistCase{"FtpSegment", "#EXTINF:4,\nftp://h.example/a.ts", std::nullopt, kUnreadable},
        PlaylistCase{"UriWithoutExtinf", "a.ts", kUnreadable},
        PlaylistCase{"BadByteRange", "#EXTINF:4,\n#EXT-X-BYTERANGE:10@x\na.ts", kUnreadable},
        PlaylistCase{
            "LongIv",
            "#EXT-X-KEY:METHOD=AES-128,URI=\"k\",IV=0x" + std::string(34, 'f') + "\n" + kSegment,
            kUnreadable}));

} // namespace
} // namespace tarnwick::hls
