#include "hls/hls_detection.h"

#include <gtest/gtest.h>

namespace tarnwick::hls {
namespace {

TEST(HlsDetectionTest, AddressesByTheirPath) {
    EXPECT_TRUE(IsHlsAddress("https://cdn.example.org/v/master.m3u8"));
    EXPECT_TRUE(IsHlsAddress("https://cdn.example.org/v/INDEX.M3U8?token=a.mp4#t=3"));
    EXPECT_TRUE(IsHlsAddress("/relative/list.m3u8"));
    EXPECT_FALSE(IsHlsAddress("https://cdn.example.org/v/clip.mp4?list=a.m3u8"));
    EXPECT_FALSE(IsHlsAddress("https://playlist.m3u8"));
    EXPECT_FALSE(IsHlsAddress("https://cdn.example.org/v/m3u8"));

    EXPECT_TRUE(IsDashAddress("https://cdn.example.org/dash/Manifest.MPD?x=1"));
    EXPECT_FALSE(IsDashAddress("https://cdn.example.org/dash/manifest.mpd.mp4"));
}

TEST(HlsDetectionTest, ContentTypesWithoutCaseOrParameters) {
    EXPECT_TRUE(IsHlsContentType("application/vnd.apple.mpegurl"));
    EXPECT_TRUE(IsHlsContentType("Application/X-MpegURL; charset=UTF-8"));
    EXPECT_TRUE(IsHlsContentType(" audio/mpegurl "));
    EXPECT_FALSE(IsHlsContentType("audio/x-mpegurl-extra"));
    EXPECT_FALSE(IsHlsContentType("video/mp2t"));
    EXPECT_FALSE(IsHlsContentType(""));
}

TEST(HlsDetectionTest, BodiesThatStartAsPlaylists) {
    EXPECT_TRUE(IsHlsBody("#EXTM3U\n#EXT-X-VERSION:3\n"));
    EXPECT_TRUE(IsHlsBody("\xEF\xBB\xBF\r\n  \t#EXTM3U"));
    EXPECT_FALSE(IsHlsBody("<html>#EXTM3U"));
    EXPECT_FALSE(IsHlsBody("# comment\n#EXTM3U"));
    EXPECT_FALSE(IsHlsBody("\xEF\xBB\xBF"));
}

} // namespace
} // namespace tarnwick::hls
