#include "resolve/video_identity.h"

#include "resolve/site_index.h"

#include <gtest/gtest.h>

namespace tarnwick::resolve {
namespace {

struct IdentityCase {
    const char* name;
    std::string identity;
    std::string expected;
};

void PrintTo(const IdentityCase& c, std::ostream* out) { *out << c.name; }

class VideoIdentityTest : public testing::TestWithParam<IdentityCase> {};

TEST_P(VideoIdentityTest, NamesTheVideoWhateverItsAddress) {
    EXPECT_EQ(GetParam().identity, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, VideoIdentityTest,
    testing::Values(
        IdentityCase{"YtDlpAsItsArchiveWrites", YtDlpIdentity("Youtube", "dQw4w9WgXcQ"),
                     "youtube dQw4w9WgXcQ"},
        IdentityCase{"YtDlpWithoutAnIdIsNone", YtDlpIdentity("Generic", ""), ""},
        IdentityCase{"YtDlpIdWithALineBreakIsNone", YtDlpIdentity("Vimeo", "1\n2"), ""},
        IdentityCase{"YtDlpExtractorOfOtherSignsIsNone", YtDlpIdentity("a b", "1"), ""},
        IdentityCase{"YouTubeWatchPageAsYtDlp",
                     SiteIdentity(kSiteYouTube, "https://www.youtube.com/watch?v=abc&t=5"),
                     "youtube abc"},
        IdentityCase{"YouTubeShortAddressAlike",
                     SiteIdentity(kSiteYouTube, "https://youtu.be/abc?si=x"), "youtube abc"},
        IdentityCase{"AnotherSiteByItsPage",
                     SiteIdentity(kSiteDailyMotion, "http://www.dailymotion.com/video/x7#top"),
                     "site:11 dailymotion.com/video/x7"},
        IdentityCase{"TheGeneralReaderHasNoSiteIdentity",
                     SiteIdentity(kSiteGeneral, "https://a.example/v"), ""},
        IdentityCase{"AFileByAddressSizeAndValidator",
                     FileIdentity("https://cdn.example/v.mp4?token=1#t", 1024, "\"e1\""),
                     "file:https://cdn.example/v.mp4 1024 \"e1\""},
        IdentityCase{"AFileWithoutValidator", FileIdentity("https://cdn.example/v.mp4", 7, ""),
                     "file:https://cdn.example/v.mp4 7"}),
    [](const testing::TestParamInfo<IdentityCase>& info) { return info.param.name; });

// yt-dlp's archive: "extractor id" a line; other lines are not read, and
// only identities of its form are written.
TEST(YtDlpArchiveTest, ReadsAndWritesItsLines) {
    EXPECT_EQ(ReadArchive("youtube abc\r\n  vimeo 12  \n\nnot-an extractor\nsite:2 x\n"
                          "generic with spaces in id\nalone\n"),
              (std::vector<std::string>{"youtube abc", "vimeo 12", "generic with spaces in id"}));
    EXPECT_EQ(ArchiveText({"youtube abc", "file:https://a/v 1", "site:11 d/v", "vimeo 12"}),
              "youtube abc\nvimeo 12\n");
}

} // namespace
} // namespace tarnwick::resolve
