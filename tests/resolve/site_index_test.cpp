#include "resolve/site_index.h"

#include <gtest/gtest.h>
#include <ostream>

namespace tarnwick::resolve {
namespace {

struct SiteCase {
    const char* name;
    const char* address;
    int index;
};

void PrintTo(const SiteCase& c, std::ostream* out) { *out << c.name; }

class SiteRecognition : public testing::TestWithParam<SiteCase> {};

TEST_P(SiteRecognition, GivesTheSiteIndex) {
    EXPECT_EQ(GetSiteIndex(GetParam().address), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, SiteRecognition,
    testing::Values(SiteCase{"Empty", "", -1},
                    SiteCase{"GoogleVideo", "http://video.google.com/videoplay?docid=1", 1},
                    SiteCase{"YouTube", "http://www.youtube.com/watch?v=abc", 2},
                    SiteCase{"Bolt", "http://www.bolt.com/x", 3},
                    SiteCase{"MySpace", "http://vids.myspace.com/index.cfm?videoid=123456", 4},
                    SiteCase{"AngryAlien", "http://angryalien.com/0504/x.asp", 5},
                    SiteCase{"ThatVideoSite", "http://thatvideosite.com/video/1", 6},
                    SiteCase{"IFilm", "http://www.ifilm.com/video/2720001", 8},
                    SiteCase{"Break", "http://break.com/index/x.html", 9},
                    SiteCase{"BlipTv", "http://blip.tv/file/1", 10},
                    SiteCase{"DailyMotion", "http://www.dailymotion.com/video/x1", 11},
                    SiteCase{"PutFile", "http://media.putfile.com/x", 12},
                    SiteCase{"ZippyVideos", "http://www.zippyvideos.com/1", 13},
                    SiteCase{"MixedCase", "HTTP://WWW.YouTube.COM/watch?v=1", 2},
                    SiteCase{"EarlierSiteInQueryWins",
                             "http://youtube.com/watch?v=1&from=google.com", 1},
                    SiteCase{"LongerHostWord", "http://notbreak.com/x", 9},
                    SiteCase{"Unsupported", "http://example.org/video", -1},
                    SiteCase{"DomainWithoutSuffix", "http://youtube.org/watch", -1}),
    [](const testing::TestParamInfo<SiteCase>& info) { return info.param.name; });

TEST(SiteRecognitionRange, NeverGivesZeroOrSeven) {
    const char* samples[] = {"", "x", "google", ".com", "http://a.b/c", "blip.tvx"};
    for (const char* address : samples) {
        const int index = GetSiteIndex(address);
        EXPECT_NE(index, 0) << address;
        EXPECT_NE(index, 7) << address;
    }
}

} // namespace
} // namespace tarnwick::resolve
